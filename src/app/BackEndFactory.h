#pragma once
// The one place that decides which drawing back end the program uses and assembles the
// drawing without a window.
#include <memory>
#include <string>

#include "rendering/RenderBackEnd.h"

struct Settings;
class Quivane;
class HeadlessEGLSurface;

namespace qv {

enum class BackEndKind { kFixedFunction, kShader };

// "DirectX11" = 1 (the default) asks for the shader back end; any other value for the
// fixed-function one.
BackEndKind BackEndForSetting(int directX11);
// What the back ends take from the settings when they are made.
struct BackEndOptions {
  bool halfFloat = false;  // "ColorFormat" is exactly "R16G16B16A16_FLOAT"
};
BackEndOptions BackEndOptionsOf(const Settings& settings);
// The back end of that kind.
std::unique_ptr<IRenderBackEnd> CreateRenderBackEnd(BackEndKind kind,
                                                    const BackEndOptions& options = {});
// A "--backend" name ("gl15" or "gl33"); false for any other text.
bool BackEndFromName(const std::string& name, BackEndKind& kind);
// The back ends this build draws with, each once (tests run their pixel checks on each).
std::vector<BackEndKind> BuiltBackEnds();
const char* BackEndName(BackEndKind kind);

// The window's client size: "Width" x "Height", or 640 x 480 for a side that is not positive.
void WindowClientSize(const Settings& settings, int& width, int& height);

// What the drawing reads from the settings: the application's colour tables as of the last
// load, the batch budget, the pressure scale and the trace style.
SceneSettings SceneSettingsOf(const Quivane& app);

// A back end drawing on a surface without any display (headless EGL).
class HeadlessDrawing {
 public:
  // The back end the settings choose on a width x height surface. Null, the reason in `why`,
  // when no device can be had.
  static std::unique_ptr<HeadlessDrawing> Open(BackEndKind kind, int width, int height,
                                               int vsyncMode, std::string& why,
                                               const BackEndOptions& options = {});
  ~HeadlessDrawing();
  HeadlessDrawing(const HeadlessDrawing&) = delete;
  HeadlessDrawing& operator=(const HeadlessDrawing&) = delete;

  IRenderBackEnd& BackEnd() { return *backEnd_; }
  IGraphicDevice& Device() { return *backEnd_->Device(); }
  HeadlessEGLSurface& Surface() { return *surface_; }

 private:
  HeadlessDrawing() = default;
  std::unique_ptr<HeadlessEGLSurface> surface_;
  std::unique_ptr<IRenderBackEnd> backEnd_;
};

// The bitmap command's picture of the application's data sets, drawn headless at the
// application's draw size with the back end of `kind`, or the one the settings choose when
// it is null: path written, or empty (the reason in `why`, or the console's message when
// the file cannot be created).
std::string WriteHeadlessBitmap(Quivane& app, const std::string& path, int magnify,
                                std::string& why, const BackEndKind* kind = nullptr);

}  // namespace qv
