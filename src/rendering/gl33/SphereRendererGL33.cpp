#include "rendering/gl33/SphereRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace qvgl33 {

bool MeshBuffer::Ensure(BasicRendererGL33& r, bool cylinder, int newLevel, double newRadius) {
  if (newLevel == level && newRadius == radius) return false;
  level = newLevel;
  radius = newRadius;
  ++builds;
  if (cylinder) qv::geo::BuildCylinderMesh(level, static_cast<float>(radius), mesh);
  else qv::geo::BuildSphereMesh(level, static_cast<float>(radius), mesh);
  std::vector<float> interleaved(6 * static_cast<size_t>(mesh.vertexCount));
  for (int v = 0; v < mesh.vertexCount; ++v) {
    std::memcpy(&interleaved[6 * v], &mesh.positions[3 * v], 3 * sizeof(float));
    std::memcpy(&interleaved[6 * v + 3], &mesh.normals[3 * v], 3 * sizeof(float));
  }
  r.Shared().Upload(0, interleaved.data(), interleaved.size() * sizeof(float));
  r.Shared().UploadIndices(mesh.indices.data(),
                           static_cast<size_t>(mesh.indexCount) * sizeof(uint32_t));
  return true;
}

void SetLight(const BasicRendererGL33& r) {
  // Straight up in eye space, as the fixed-function back end places its light.
  glUniform3f(r.Uniform("uLightDirection"), 0.0f, 1.0f, 0.0f);
}

void SetRampUniforms(const BasicRendererGL33& r, const qv::HeightRamp& ramp) {
  glUniform1f(r.Uniform("uLow"), ramp.low);
  glUniform1f(r.Uniform("uSpan"), ramp.span);
  glUniform1f(r.Uniform("uIntervals"), ramp.intervals);
  glUniform4fv(r.Uniform("uTable"), 9, ramp.table[0].data());
}

FilledFrom& FilledFor(std::vector<FilledFrom>& slots, size_t dataSet) {
  if (slots.size() <= dataSet) slots.resize(dataSet + 1);
  return slots[dataSet];
}

namespace {
// Instances of one buffer: what the "VRAM" budget allows, at least one.
size_t InstanceCapacity(int64_t budgetBytes, size_t instanceBytes) {
  return static_cast<size_t>(std::max<int64_t>(budgetBytes / static_cast<int64_t>(instanceBytes), 1));
}
}  // namespace

InputLayout SphereRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12},
          {"INS_POS", kFloat3, 1, 0}, {"INS_COLOR", kUnorm4, 1, 12}};
}

SphereRendererGL33::SphereRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_inst_color.glsl", "ps_color.glsl", nullptr, Layout()) {}

void SphereRendererGL33::Draw(const qv::scene::AtomsItem& item, size_t dataSet,
                              const DisplayValues& display, const SceneSettings& settings,
                              const FrameMatrices& m) {
  last_ = {};
  if (!Ready()) return;
  mesh_.Ensure(renderer_, false, display.atomPoly, display.atomRadius);
  const size_t atoms = item.atomCount;
  if (mesh_.mesh.indexCount == 0 || atoms == 0) return;
  const size_t per = InstanceCapacity(settings.vramBytes, 16);
  const bool single = atoms <= per;
  FilledFrom& from = FilledFor(filled_, dataSet);
  const bool reuse = single && from.valid && from.key == item.key && from.meshBuild == mesh_.builds;
  from.key = item.key;
  from.meshBuild = mesh_.builds;
  from.valid = single;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, true);

  renderer_.Use(m);
  arrays.Bind();
  SetLight(renderer_);
  const float* positions = item.frame->positions.data();
  for (size_t first = 0; first < atoms; first += per) {
    const size_t last = std::min(atoms, first + per);
    if (!reuse) {
      staging_.resize(4 * (last - first));
      const size_t n = qv::geo::PackVisibleInstances(positions, item.colors, first, last, staging_.data());
      from.count = n;
      arrays.Upload(1, staging_.data(), 16 * n);
      ++last_.uploads;
      ++uploadsSoFar_;
    }
    if (from.count > 0) {
      glDrawElementsInstanced(GL_TRIANGLES, mesh_.mesh.indexCount, GL_UNSIGNED_INT, nullptr,
                              static_cast<GLsizei>(from.count));
      ++last_.drawCalls;
    }
  }
}

InputLayout SphereColorTableRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12}, {"INS_POS", kFloat4, 1, 0}};
}

SphereColorTableRendererGL33::SphereColorTableRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_inst_color_table.glsl", "ps_color.glsl", nullptr, Layout()) {}

void SphereColorTableRendererGL33::Draw(const qv::scene::AtomsItem& item, size_t dataSet,
                                        const qv::HeightRamp& ramp, const DisplayValues& display,
                                        const SceneSettings& settings, const FrameMatrices& m) {
  last_ = {};
  if (!Ready()) return;
  mesh_.Ensure(renderer_, false, display.atomPoly, display.atomRadius);
  const size_t atoms = item.atomCount;
  if (mesh_.mesh.indexCount == 0 || atoms == 0) return;
  const size_t per = InstanceCapacity(settings.vramBytes, 16);
  const bool single = atoms <= per;
  FilledFrom& from = FilledFor(filled_, dataSet);
  const bool reuse = single && from.valid && from.key == item.key && from.meshBuild == mesh_.builds;
  from.key = item.key;
  from.meshBuild = mesh_.builds;
  from.valid = single;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, true);

  renderer_.Use(m);
  arrays.Bind();
  SetLight(renderer_);
  SetRampUniforms(renderer_, ramp);
  const float* positions = item.frame->positions.data();
  for (size_t first = 0; first < atoms; first += per) {
    const size_t last = std::min(atoms, first + per);
    if (!reuse) {
      staging_.resize(4 * (last - first));
      float* out = staging_.data();
      size_t n = 0;
      for (size_t a = first; a < last; ++a) {
        if (!qv::geo::Visible(item.colors[a])) continue;
        std::memcpy(out + 4 * n, positions + 3 * a, 3 * sizeof(float));
        out[4 * n + 3] = 1.0f;
        ++n;
      }
      from.count = n;
      arrays.Upload(1, staging_.data(), 16 * n);
      ++last_.uploads;
    }
    if (from.count > 0) {
      glDrawElementsInstanced(GL_TRIANGLES, mesh_.mesh.indexCount, GL_UNSIGNED_INT, nullptr,
                              static_cast<GLsizei>(from.count));
      ++last_.drawCalls;
    }
  }
}

}  // namespace qvgl33
