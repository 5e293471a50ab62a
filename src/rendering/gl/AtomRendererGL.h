#pragma once
// Atoms as lit polygon spheres and bonds as cylinders coloured from their two atoms, expanded
// on the CPU into client-side arrays and drawn one indexed call per batch.
#include <cstdint>
#include <vector>

#include "data/AtomsData.h"
#include "data/ElementTable.h"
#include "rendering/gl/SceneGeometry.h"
#include "shell/settings/DisplayOptions.h"

class AtomRendererGL {
 public:
  // Draws into the current context.
  void Draw(const ATOMS_DATA& frame, const BOND_INFO* bonds, const DisplayValues& display,
            const SceneSettings& settings);
  // Forgets the reusable batch content. The content is kept while the frame record, its
  // index, its position array, the meshes and the colour mode stay the same, so a caller that
  // moves atoms of a frame in place (edit mode) calls this.
  void Invalidate() { content_ = Content::kNone; }

  const qvgl::Mesh& Sphere() const { return sphere_; }
  const qvgl::Mesh& Cylinder() const { return cylinder_; }
  int SphereBuilds() const { return sphereBuilds_; }
  int CylinderBuilds() const { return cylinderBuilds_; }
  // Draw calls issued by the last Draw, and the seconds it spent filling batch arrays.
  int LastDrawCalls() const { return drawCalls_; }
  double LastFillSeconds() const { return fillSeconds_; }
  int LastFilledBatches() const { return filled_; }

 private:
  enum class Content { kNone, kAtoms, kBonds };
  void DrawBatch();

  qvgl::Mesh sphere_, cylinder_;
  int spherePoly_ = -1;
  double sphereRadius_ = -1;
  int cylinderPoly_ = -1;
  int cylinderBond_ = -1;
  int sphereBuilds_ = 0, cylinderBuilds_ = 0;

  std::vector<qv::Rgba> scratch_;
  qv::PodVector<uint32_t> colors_;
  qvgl::BatchArrays batch_;
  Content content_ = Content::kNone;
  // What the batch content was filled from.
  const ATOMS_DATA* lastFrame_ = nullptr;
  const float* lastPositions_ = nullptr;
  int32_t lastIndex_ = -1, lastAtomCount_ = -1, lastBondCount_ = -1;
  int lastColorMode_ = -1;
  int meshKey_ = 0, lastMeshKey_ = -1;
  int drawCalls_ = 0;
  double fillSeconds_ = 0;
  int filled_ = 0;
};
