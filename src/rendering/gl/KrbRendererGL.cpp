#include "rendering/gl/KrbRendererGL.h"

#include "rendering/gl/SpritePointsGL.h"

void KrbRendererGL::Draw(const qv::scene::ParticleEventsItem& item, const DisplayValues& display,
                         const SceneSettings& settings) {
  if (!filled_ || !(lastKey_ == item.key)) {
    qv::scene::FillParticleEvents(item, arrays_);
    lastKey_ = item.key;
    filled_ = true;
  }
  const qv::scene::AtomsItem atoms = qv::scene::ParticleEventsAtoms(item, arrays_);
  if (atoms.atomCount > 0) {
    if (item.style == kAtomStylePoints) points_.Draw(atoms, display, settings);
    else spheres_.Draw(atoms, display, settings);
  }
  qvgl::DrawSegments(arrays_.segments.data(), arrays_.segmentColors.data(),
                     arrays_.segments.size() / 6, item.lineWidth);
}
