#include "rendering/scene/Overlay.h"

#include <png.h>

#include <cmath>

#include "rendering/EmbeddedFiles.h"

namespace qv::overlay {

namespace {
constexpr png_uint_32 kMaxImageSide = 1024;
}  // namespace

bool DecodePng(std::span<const unsigned char> png, scene::OverlayImage& out, std::string* why) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png.empty() || !png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    if (why) *why = png.empty() ? "no bytes" : image.message;
    return false;
  }
  // The size comes from the file: bounded before anything is allocated from it.
  if (image.width == 0 || image.height == 0 || image.width > kMaxImageSide ||
      image.height > kMaxImageSide) {
    if (why) *why = "image size out of range";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    if (why) *why = image.message;
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba = std::move(pixels);
  return true;
}

bool ImageSet::Add(int number, std::span<const unsigned char> png) {
  auto image = std::make_unique<scene::OverlayImage>();
  if (!DecodePng(png, *image)) {
    images_.erase(number);
    return false;
  }
  images_[number] = std::move(image);
  return true;
}

const scene::OverlayImage* ImageSet::Find(int number) const {
  const auto it = images_.find(number);
  return it == images_.end() ? nullptr : it->second.get();
}

const ImageSet& ProgramImages() {
  static const ImageSet images = [] {
    ImageSet set;
    const std::pair<int, const char*> files[] = {
        {kStepForward, "button_step_forward.png"}, {kPlayForward, "button_play_forward.png"},
        {kStepBack, "button_step_back.png"},       {kPlayBackward, "button_play_backward.png"},
        {kStop, "button_stop.png"},                {kImageHide, "button_hide.png"},
        {kImageShow, "button_show.png"},
    };
    for (const auto& [number, name] : files) set.Add(number, EmbeddedFile(name));
    return set;
  }();
  return images;
}

Rect ButtonRect(const Button& b, float width, float height) {
  Rect r;
  if (b.hAlign == 1) {
    r.right = width + b.x;
    r.left = r.right - b.width;
  } else if (b.hAlign == 2) {
    r.left = (width - b.width) / 2 + b.x;
    r.right = (width + b.width) / 2 + b.x;
  } else {
    r.left = b.x;
    r.right = b.x + b.width;
  }
  if (b.vAlign == 1) {
    r.bottom = height + b.y;
    r.top = r.bottom - b.height;
  } else if (b.vAlign == 2) {
    r.top = (height - b.height) / 2 + b.y;
    r.bottom = (height + b.height) / 2 + b.y;
  } else {
    r.top = b.y;
    r.bottom = b.y + b.height;
  }
  return r;
}

std::vector<Button> PlaybackButtons() {
  std::vector<Button> buttons;
  const std::pair<int, float> layout[] = {
      {kStop, 0}, {kPlayForward, 96}, {kStepForward, 192}, {kPlayBackward, -96}, {kStepBack, -192}};
  for (const auto& [action, x] : layout) {
    Button b;
    b.action = action;
    b.image = action;
    b.hAlign = 2;
    b.vAlign = 1;
    b.x = x;
    b.y = -32;
    b.width = b.height = 64;
    buttons.push_back(b);
  }
  return buttons;
}

ButtonBar::ButtonBar() : ButtonBar(PlaybackButtons(), ProgramImages()) {}

ButtonBar::ButtonBar(std::vector<Button> buttons, const ImageSet& images)
    : buttons_(std::move(buttons)), images_(&images) {}

bool ButtonBar::Shown(const Button& b) const { return b.kind == 1 && images_->Find(b.image); }

const Button* ButtonBar::HitTest(float x, float y, float width, float height) const {
  for (const Button& b : buttons_) {
    if (Shown(b) && ButtonRect(b, width, height).Contains(x, y)) return &b;
  }
  return nullptr;
}

void ButtonBar::AddOverlay(float width, float height, std::vector<scene::OverlayItem>& out) const {
  for (const Button& b : buttons_) {
    if (!Shown(b)) continue;
    const Rect r = ButtonRect(b, width, height);
    scene::OverlayItem item;
    item.left = r.left, item.top = r.top, item.right = r.right, item.bottom = r.bottom;
    item.color = {1, 1, 1, 1};
    item.image = b.image;
    item.bitmap = images_->Find(b.image);
    out.push_back(item);
  }
}

UIPanel::UIPanel() : UIPanel(ProgramImages()) {}

UIPanel::UIPanel(const ImageSet& images) : images_(&images) {}

void UIPanel::BuildProgramPages() {
  unit_ = kDefaultUnit;
  current_ = 0;
  pages_.clear();
  // Inset so that neighbouring items stay apart.
  auto item = [](float k, int action, int next, int image) {
    return PanelItem{{k + 0.0625f, 0.0625f, k + 0.9375f, 0.9375f}, action, next, image};
  };
  Page bar;
  bar.anchor = kBottomStrip;
  bar.width = 6;
  bar.height = 1;
  const int order[] = {kStepBack, kPlayBackward, kStop, kPlayForward, kStepForward};
  for (int k = 0; k < 5; ++k) bar.items.push_back(item(static_cast<float>(k), order[k], -1, order[k]));
  bar.items.push_back(item(5, kNoAction, 1, kImageHide));
  pages_[0] = bar;
  Page hidden;
  hidden.anchor = kBottomLeft;
  hidden.width = 1;
  hidden.height = 1;
  hidden.items.push_back(item(0, kNoAction, 0, kImageShow));
  pages_[1] = hidden;
}

const Page* UIPanel::Current() const {
  const auto it = pages_.find(current_);
  return it == pages_.end() ? nullptr : &it->second;
}

void UIPanel::SetUnit(float pixels) {
  if (pixels > 0 && std::isfinite(pixels)) unit_ = pixels;
}

void UIPanel::Corner(const Page& page, float width, float height, float& cx, float& cy) const {
  switch (page.anchor) {
    case kCentred:
      cx = (width / unit_ - page.width) / 2;
      cy = (height / unit_ - page.height) / 2;
      break;
    case kBottomStrip:
    case kBottomLeft:
      cx = 0;
      cy = height / unit_ - page.height;
      break;
    default:  // top-left (mode 2, and any mode the panel does not know)
      cx = cy = 0;
      break;
  }
}

bool UIPanel::ToPageUnits(float x, float y, float width, float height, float& px, float& py) const {
  const Page* page = Current();
  if (!page) return false;
  float cx = 0, cy = 0;
  Corner(*page, width, height, cx, cy);
  px = x / unit_ - cx;
  py = y / unit_ - cy;
  return true;
}

const PanelItem* UIPanel::ItemAt(float x, float y, float width, float height) const {
  float px = 0, py = 0;
  if (!ToPageUnits(x, y, width, height, px, py)) return nullptr;
  for (const PanelItem& item : Current()->items) {
    if (item.rect.Contains(px, py)) return &item;
  }
  return nullptr;
}

bool UIPanel::Release(float x, float y, float width, float height, int& action) {
  const PanelItem* item = ItemAt(x, y, width, height);
  if (!item) return false;
  action = item->action;
  if (item->nextPage != -1) current_ = item->nextPage;
  return true;
}

void UIPanel::AddOverlay(float width, float height, std::vector<scene::OverlayItem>& out) const {
  const Page* page = Current();
  if (!page) return;
  const float u = unit_;
  float cx = 0, cy = 0;
  Corner(*page, width, height, cx, cy);
  auto add = [&](float l, float t, float r, float b, std::array<float, 4> color, int image,
                 const scene::OverlayImage* bitmap) {
    out.push_back({l * u, t * u, r * u, b * u, color, image, bitmap});
  };
  const float w = width / u, h = height / u;
  const std::array<float, 4> backdrop = {0, 0, 0, 0.5f};
  switch (page->anchor) {
    case kCentred: add(cx, cy, cx + page->width, cy + page->height, backdrop, -1, nullptr); break;
    case kBottomStrip: add(0, h - page->height, w, h, backdrop, -1, nullptr); break;
    case kBottomLeft: add(0, h - page->height, page->width, h, backdrop, -1, nullptr); break;
    default: add(0, 0, w, page->height, backdrop, -1, nullptr); break;
  }
  for (const PanelItem& item : page->items) {
    const Rect& r = item.rect;
    add(cx + r.left, cy + r.top, cx + r.right, cy + r.bottom, {1, 0, 0, 1}, -1, nullptr);
    if (const scene::OverlayImage* bitmap = images_->Find(item.image))
      add(cx + r.left, cy + r.top, cx + r.right, cy + r.bottom, {1, 1, 1, 1}, item.image, bitmap);
  }
}

}  // namespace qv::overlay
