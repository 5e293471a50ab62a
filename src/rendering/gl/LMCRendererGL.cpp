#include "rendering/gl/LMCRendererGL.h"

#include "rendering/gl/SpritePointsGL.h"
#include "rendering/scene/LatticeScene.h"

void LMCRendererGL::Draw(const qv::scene::LatticeItem& item) {
  if (!filled_ || !(lastKey_ == item.key)) {
    qv::scene::FillLatticePoints(item, xyz_, colors_);
    lastKey_ = item.key;
    filled_ = true;
    ++fills_;
  }
  qvgl::DrawSpritePoints(xyz_.data(), 3, colors_.data(), colors_.size(), item.pointSize, false);
}
