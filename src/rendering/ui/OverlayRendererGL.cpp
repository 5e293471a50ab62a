#include "rendering/ui/OverlayRendererGL.h"

#include <epoxy/gl.h>

unsigned OverlayRendererGL::Texture(const qv::scene::OverlayImage& image) {
  // An image made where an earlier one was freed must not reuse its texture.
  Uploaded& slot = textures_[&image];
  if (slot.id && slot.pixels == image.rgba.data()) return slot.id;
  GLuint id = slot.id;
  if (!id) glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, image.rgba.data());
  slot = {id, image.rgba.data()};
  return id;
}

void OverlayRendererGL::Draw(const std::vector<qv::scene::OverlayItem>& items, int width,
                             int height) {
  if (items.empty() || width <= 0 || height <= 0) return;
  glFlush();
  // Everything changed here comes back with the attribute and matrix stacks.
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT |
               GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, height, 0, 1, -1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  for (const qv::scene::OverlayItem& item : items) {
    const qv::scene::OverlayImage* image = item.bitmap;
    const bool textured = image && image->width > 0 && image->height > 0 &&
                          image->rgba.size() >= 4u * image->width * image->height;
    if (item.bitmap && !textured) continue;  // an image that cannot be shown is skipped
    if (textured) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, Texture(*image));
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    glColor4f(item.color[0], item.color[1], item.color[2], item.color[3]);
    // The image's first row is its top.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(item.left, item.top);
    glTexCoord2f(0, 1);
    glVertex2f(item.left, item.bottom);
    glTexCoord2f(1, 1);
    glVertex2f(item.right, item.bottom);
    glTexCoord2f(1, 0);
    glVertex2f(item.right, item.top);
    glEnd();
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  glFlush();
}

void OverlayRendererGL::Release() {
  for (const auto& [image, slot] : textures_) {
    const GLuint name = slot.id;
    glDeleteTextures(1, &name);
  }
  textures_.clear();
}
