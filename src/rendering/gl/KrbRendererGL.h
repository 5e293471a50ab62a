#pragma once
// Particle event records on the fixed-function pipeline: the live particles through the
// atom renderers (spheres or points) and their latest moves as line segments.
#include <memory>

#include "rendering/gl/AtomRendererGL.h"
#include "rendering/gl/PointRendererGL.h"
#include "rendering/scene/ParticleEventsScene.h"

class KrbRendererGL {
 public:
  void Draw(const qv::scene::ParticleEventsItem& item, const DisplayValues& display,
            const SceneSettings& settings);
  const qv::scene::ParticleEventsArrays& Arrays() const { return arrays_; }

 private:
  qv::scene::ParticleEventsArrays arrays_;
  bool filled_ = false;
  qv::scene::ParticleEventsKey lastKey_;
  AtomRendererGL spheres_;
  PointRendererGL points_;
};
