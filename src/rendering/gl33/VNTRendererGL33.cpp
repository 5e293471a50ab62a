#include "rendering/gl33/VNTRendererGL33.h"

#include <epoxy/gl.h>

#include <cmath>

namespace qvgl33 {

InputLayout VNTRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12}, {"TEXCOORD", kFloat2, 0, 24}};
}

VNTRendererGL33::VNTRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_vnt.glsl", "ps_vnt.glsl", nullptr, Layout()) {
  diffuse_ = renderer_.Uniform("uDiffuse");
  textured_ = renderer_.Uniform("uTextured");
  texture_ = renderer_.Uniform("uTexture");
  light_ = renderer_.Uniform("uLightDirection");
}

void VNTRendererGL33::Draw(const qv::scene::MeshItem& item, size_t dataSet, const FrameMatrices& m) {
  if (!Ready() || !item.vertices || !item.indices || item.vertexCount == 0) return;
  VertexArrayGL33& va = renderer_.ForDataSet(dataSet, false);
  if (filled_.size() <= dataSet) filled_.resize(dataSet + 1);
  if (!(filled_[dataSet] == item.key)) {
    va.Upload(0, item.vertices, item.vertexCount * sizeof(PolyVertex));
    va.UploadIndices(item.indices, item.indexCount * static_cast<size_t>(item.indexWidth));
    filled_[dataSet] = item.key;
  }
  renderer_.Use(m);
  va.Bind();
  const float n = 1.0f / std::sqrt(0.3f * 0.3f + 0.5f * 0.5f + 0.81f * 0.81f);
  glUniform3f(light_, 0.3f * n, 0.5f * n, 0.81f * n);
  glUniform1i(texture_, 0);
  glActiveTexture(GL_TEXTURE0);
  glDisable(GL_CULL_FACE);
  const GLenum type = item.indexWidth == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  for (size_t k = 0; k < item.drawCount && k < item.materials.size(); ++k) {
    const PolyMaterial& mat = item.materials[k];
    if (mat.indexCount == 0 || size_t{mat.firstIndex} + mat.indexCount > item.indexCount) continue;
    const GLuint texture = textures_.Get(mat.texturePath);
    glUniform4f(diffuse_, mat.diffuse[0], mat.diffuse[1], mat.diffuse[2], mat.diffuse[3]);
    glUniform1i(textured_, texture ? 1 : 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (mat.diffuse[3] < 1) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
      glDisable(GL_BLEND);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mat.indexCount), type,
                   reinterpret_cast<const void*>(size_t{mat.firstIndex} * static_cast<size_t>(item.indexWidth)));
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);  // as the state manager leaves it for the other renderers
}

}  // namespace qvgl33
