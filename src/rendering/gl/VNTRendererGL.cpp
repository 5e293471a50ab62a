#include "rendering/gl/VNTRendererGL.h"

#include <epoxy/gl.h>

void VNTRendererGL::Draw(const qv::scene::MeshItem& item) {
  if (!item.vertices || !item.indices || item.vertexCount == 0) return;
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_CULL_FACE);  // model windings differ by format; both sides are lit
  glEnable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  // The scene's light comes from above the eye, which leaves faces turned to the viewer in
  // their ambient colour; a model is lit from above and in front instead. The attribute
  // stack restores the scene's light.
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  const GLfloat light[4] = {0.3f, 0.5f, 0.81f, 0};
  const GLfloat lightDiffuse[4] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
  glPopMatrix();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  const PolyVertex* v = item.vertices;
  glVertexPointer(3, GL_FLOAT, sizeof(PolyVertex), v->position);
  glNormalPointer(GL_FLOAT, sizeof(PolyVertex), v->normal);
  glTexCoordPointer(2, GL_FLOAT, sizeof(PolyVertex), v->uv);
  const GLenum type = item.indexWidth == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  const auto* base = static_cast<const unsigned char*>(item.indices);
  const GLfloat specular[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  for (size_t m = 0; m < item.drawCount && m < item.materials.size(); ++m) {
    const PolyMaterial& mat = item.materials[m];
    if (mat.indexCount == 0 || size_t{mat.firstIndex} + mat.indexCount > item.indexCount) continue;
    const GLuint texture = textures_.Get(mat.texturePath);
    // A texture shows in its own colours, lit; without one the material colour is lit.
    const GLfloat white[4] = {1, 1, 1, mat.diffuse[3]};
    const GLfloat* diffuse = texture ? white : mat.diffuse.data();
    const GLfloat ambient[4] = {diffuse[0] * 0.4f, diffuse[1] * 0.4f, diffuse[2] * 0.4f, diffuse[3]};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    if (texture) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    if (mat.diffuse[3] < 1) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
      glDisable(GL_BLEND);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mat.indexCount), type,
                   base + size_t{mat.firstIndex} * static_cast<size_t>(item.indexWidth));
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glPopAttrib();
}
