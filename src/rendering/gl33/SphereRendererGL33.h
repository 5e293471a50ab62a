#pragma once
// Atoms as instances of one sphere mesh: per instance a position and either a colour word
// (SphereRendererGL33) or nothing but the height that picks the colour from the ramp's table
// (SphereColorTableRendererGL33). Hidden atoms (alpha 0) get no instance. The instance
// buffer is filled again only when the item's key, the mesh or the budget changes.
#include <cstdint>
#include <vector>

#include "data/PodVector.h"
#include "rendering/Coloring.h"
#include "rendering/SceneGeometry.h"
#include "rendering/gl33/BasicRendererGL33.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

// A mesh of positions and normals as the slot-0 buffer of a renderer, rebuilt when its
// parameters change.
struct MeshBuffer {
  int level = -1;
  double radius = -1;
  int builds = 0;
  qv::geo::Mesh mesh;
  // Uploads the interleaved mesh into the renderer's shared slot 0 and index buffers. True
  // when it was rebuilt.
  bool Ensure(BasicRendererGL33& r, bool cylinder, int level, double radius);
};

// Statistics of the last Draw, for tests and benchmarks.
struct DrawStats {
  int drawCalls = 0;
  int uploads = 0;  // buffers filled from the CPU
};

// What one data set's buffers were last filled from.
struct FilledFrom {
  bool valid = false;
  qv::scene::AtomsKey key;
  int meshBuild = -1;
  size_t count = 0;  // instances, points or indices in the buffer
};
// The data set's entry, grown on first use.
FilledFrom& FilledFor(std::vector<FilledFrom>& slots, size_t dataSet);

class SphereRendererGL33 {
 public:
  explicit SphereRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // dataSet: the item's position in the data set list; each keeps its own instances.
  void Draw(const qv::scene::AtomsItem& item, size_t dataSet, const DisplayValues& display,
            const SceneSettings& settings, const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }
  // Buffers filled since the renderer was made.
  int UploadsSoFar() const { return uploadsSoFar_; }
  const MeshBuffer& Mesh() const { return mesh_; }

 private:
  BasicRendererGL33 renderer_;
  MeshBuffer mesh_;
  qv::PodVector<uint32_t> staging_;  // x y z colour per instance
  std::vector<FilledFrom> filled_;
  DrawStats last_;
  int uploadsSoFar_ = 0;
};

class SphereColorTableRendererGL33 {
 public:
  explicit SphereColorTableRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  void Draw(const qv::scene::AtomsItem& item, size_t dataSet, const qv::HeightRamp& ramp,
            const DisplayValues& display, const SceneSettings& settings, const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }

 private:
  BasicRendererGL33 renderer_;
  MeshBuffer mesh_;
  qv::PodVector<float> staging_;  // x y z 1 per instance
  std::vector<FilledFrom> filled_;
  DrawStats last_;
};

// Sets the ramp's uniforms on a colour-table program.
void SetRampUniforms(const BasicRendererGL33& r, const qv::HeightRamp& ramp);
// The light shared by every lit program.
void SetLight(const BasicRendererGL33& r);

}  // namespace qvgl33
