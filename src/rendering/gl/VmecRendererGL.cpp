#include "rendering/gl/VmecRendererGL.h"

#include "auxdata/vmec/VMEC_Repository.h"
#include "rendering/gl/SpritePointsGL.h"
#include "rendering/scene/GridPointsScene.h"

void VmecRendererGL::Draw(const qv::scene::GridPointsItem& item) {
  if (!item.repo) return;
  if (!filled_ || !(lastKey_ == item.key)) {
    qv::scene::FillGridPointColors(*item.repo, colors_);
    lastKey_ = item.key;
    filled_ = true;
    ++fills_;
  }
  qvgl::DrawSpritePoints(item.repo->Points().data(), static_cast<size_t>(item.repo->Stride()),
                         colors_.data(), colors_.size(), item.spriteSize, true);
}
