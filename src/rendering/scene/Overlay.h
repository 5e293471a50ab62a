#pragma once
// The on-screen controls over the scene, free of any graphics API: the bar of image buttons
// the shader back end shows and the page panel the fixed-function back end shows. Each says
// where its parts lie for a client size, which part a pointer position hits and what to draw,
// as overlay items of a screen plan (bitmaps and EPS never carry them).
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "rendering/scene/ScenePlan.h"

namespace qv::overlay {

// What a button or a panel item does: the playback operation of that number.
enum Action : int {
  kNoAction = 0,  // an ordinary press (the camera drag)
  kStepForward = 1,
  kPlayForward = 2,
  kStepBack = 3,
  kPlayBackward = 4,
  kStop = 5,
};

// Images of the overlay set beyond the five playback ones (whose numbers are their actions).
enum ImageNumber : int { kImageHide = 6, kImageShow = 7 };

struct Rect {
  float left = 0, top = 0, right = 0, bottom = 0;
  // The left and top edges belong to the rectangle, the right and bottom edges do not.
  bool Contains(float x, float y) const { return left <= x && x < right && top <= y && y < bottom; }
};

// Decoded images by number, each at a fixed address for the whole run.
class ImageSet {
 public:
  // Decodes PNG bytes under `number`. False, and no image under that number, when the bytes
  // are not a PNG image this program takes (at most 1024 x 1024).
  bool Add(int number, std::span<const unsigned char> png);
  const scene::OverlayImage* Find(int number) const;

 private:
  std::map<int, std::unique_ptr<scene::OverlayImage>> images_;
};

// PNG bytes to RGBA rows; false (out untouched) for anything that does not decode.
bool DecodePng(std::span<const unsigned char> png, scene::OverlayImage& out, std::string* why = nullptr);

// The program's images, decoded once from the embedded files: 1 to 5 the playback buttons
// (numbered as their actions), kImageHide and kImageShow. An image that does not decode is
// missing from the set.
const ImageSet& ProgramImages();

// One button of the bar.
struct Button {
  int kind = 1;  // 1 image button: the only kind drawn and hit-tested
  int action = kNoAction;
  int reserved = 1;
  int image = 0;   // number in the bar's image set
  int hAlign = 0;  // 1 right-anchored, 2 centred, other left-anchored
  int vAlign = 0;  // 1 bottom-anchored, 2 centred, other top-anchored
  float x = 0, y = 0;  // offset in pixels from the anchor
  float width = 0, height = 0;
};

// Where a button lies in a client area of width x height pixels.
Rect ButtonRect(const Button& button, float width, float height);

// The five 64 x 64 playback buttons along the bottom centre, in hit-test order.
std::vector<Button> PlaybackButtons();

class ButtonBar {
 public:
  // The playback buttons with the program's images.
  ButtonBar();
  // `images` must outlive the bar.
  ButtonBar(std::vector<Button> buttons, const ImageSet& images);

  const std::vector<Button>& Buttons() const { return buttons_; }
  // The first shown button (kind 1 with an image) whose rectangle holds (x, y); null when
  // none does. Whether anything is loaded is the caller's question.
  const Button* HitTest(float x, float y, float width, float height) const;
  // One image item per shown button, in list order.
  void AddOverlay(float width, float height, std::vector<scene::OverlayItem>& out) const;

 private:
  bool Shown(const Button& b) const;

  std::vector<Button> buttons_;
  const ImageSet* images_;
};

// One item of a panel page; its rectangle is in page units from the page's corner.
struct PanelItem {
  Rect rect;
  int action = kNoAction;
  int nextPage = -1;  // the page a hit switches to; -1 stays
  int image = -1;     // an image of the panel's set drawn over the item; -1 none
};

// Anchor modes of a page.
enum Anchor : int { kCentred = 0, kBottomStrip = 1, kTopStrip = 2, kBottomLeft = 3 };

struct Page {
  int anchor = kCentred;
  float width = 0, height = 0;  // in units
  std::vector<PanelItem> items;
};

// The page panel: pages by number, the one shown and the unit size in pixels.
class UIPanel {
 public:
  static constexpr float kDefaultUnit = 64;

  // No pages; `images` (the program's by default) must outlive the panel.
  UIPanel();
  explicit UIPanel(const ImageSet& images);

  // The program's pages: page 0 is a bottom strip with the playback items and one that hides
  // it; page 1 is a single item in the bottom-left corner that shows page 0 again.
  void BuildProgramPages();
  void SetPage(int number, Page page) { pages_[number] = std::move(page); }
  int CurrentPage() const { return current_; }
  void SetCurrentPage(int number) { current_ = number; }
  const Page* Current() const;
  float Unit() const { return unit_; }
  // Ignored unless positive and finite.
  void SetUnit(float pixels);

  // The pointer at (x, y) of a width x height client in units of the current page; false
  // without a current page.
  bool ToPageUnits(float x, float y, float width, float height, float& px, float& py) const;
  // The first item of the current page under the pointer; null when none is.
  const PanelItem* ItemAt(float x, float y, float width, float height) const;
  // A release of the button at (x, y): the first item under it switches the panel to its
  // next page (unless -1) and gives its action. False, nothing changed, without a hit.
  bool Release(float x, float y, float width, float height, int& action);
  // The backdrop (black, half transparent), then each item in red with its image over it.
  void AddOverlay(float width, float height, std::vector<scene::OverlayItem>& out) const;

 private:
  // The page's corner in units of the client area.
  void Corner(const Page& page, float width, float height, float& cx, float& cy) const;

  std::map<int, Page> pages_;
  int current_ = 0;
  float unit_ = kDefaultUnit;
  const ImageSet* images_;
};

}  // namespace qv::overlay
