#pragma once
// Atoms as lit polygon spheres and bonds as cylinders coloured from their two atoms, expanded
// on the CPU into client-side arrays and drawn one indexed call per batch.
#include <cstdint>
#include <vector>

#include "rendering/SceneGeometry.h"
#include "rendering/scene/ScenePlan.h"

class AtomRendererGL {
 public:
  // Draws a polygon-style atoms item into the current context, with the mesh levels and
  // radius of the display values.
  void Draw(const qv::scene::AtomsItem& item, const DisplayValues& display,
            const SceneSettings& settings);
  // Forgets the reusable batch content. The content is kept while the item's key and the
  // meshes stay the same, so a caller that moves atoms of a frame in place calls this.
  void Invalidate() { content_ = Content::kNone; }

  const qv::geo::Mesh& Sphere() const { return sphere_; }
  const qv::geo::Mesh& Cylinder() const { return cylinder_; }
  int SphereBuilds() const { return sphereBuilds_; }
  int CylinderBuilds() const { return cylinderBuilds_; }
  // Draw calls issued by the last Draw, and the seconds it spent filling batch arrays.
  int LastDrawCalls() const { return drawCalls_; }
  double LastFillSeconds() const { return fillSeconds_; }
  int LastFilledBatches() const { return filled_; }

 private:
  enum class Content { kNone, kAtoms, kBonds };
  void DrawBatch();

  qv::geo::Mesh sphere_, cylinder_;
  int spherePoly_ = -1;
  double sphereRadius_ = -1;
  int cylinderPoly_ = -1;
  int cylinderBond_ = -1;
  int sphereBuilds_ = 0, cylinderBuilds_ = 0;

  qv::geo::BatchArrays batch_;
  Content content_ = Content::kNone;
  // What the batch content was filled from.
  qv::scene::AtomsKey lastKey_;
  int meshKey_ = 0, lastMeshKey_ = -1;
  int drawCalls_ = 0;
  double fillSeconds_ = 0;
  int filled_ = 0;
};
