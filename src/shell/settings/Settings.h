#pragma once
// Every tunable value of the viewer, read from "setting.ini".
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/ElementTable.h"
#include "shell/settings/IniModel.h"

struct DisplaySettings {  // one of the VISUAL / LARGE sets copied by the large-data check
  int box = 1;
  int atom = 1;
  int atomPoly = 4;
  int atomColor = 0;
  double atomRadius = 0.3;
  int bond = 1;
  int bondPoly = 3;
  std::array<float, 4> bgColor = {0, 0, 0, 0};
};

struct Settings {
  // [GPUDriver]
  int directX11 = 1;
  int vsync = 2;
  int64_t vramBytes = 512LL * 1048576;
  std::string colorFormat = "R8G8B8A8_UNORM";
  // [TEST]
  int orientationSensor = 0;
  int renderingFilter = 0;
  // [WINDOW]
  int width = 640;
  int height = 480;
  int multiview = 1;
  std::string language = "ja";  // "en" shows English menu captions
  // [EPS]
  double epsAtomSize = 1.0;
  double epsBondSize = 0.5;
  double epsBoxLineSize = 0.5;
  // [VISUAL]
  DisplaySettings visual;
  int atomTrajectory = -1;
  double bondCutoff = 2.0;
  int historyFrame = 0;
  double trajectoryWidth = 0.5;
  std::array<float, 4> trajectoryColor = {1, 1, 1, 0};
  int trajectoryZReverse = 1;
  int projection = 0;
  double maxPressure = 160.1;
  double colorHeightCenter = 0.0;
  double colorHeightRange = 0.0;
  // [LARGE]
  DisplaySettings large;
  int largeThreshold = 2147483647;
  // [BASIC]
  int periodic = 3;
  double viewAngleDegrees = 27.5589;
  double viewAngleRadians = 27.5589 * 3.14159265358979323846 / 180.0;
  std::array<float, 9> defaultBox = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  // [OUTPUT]
  int largeBmpMagnify = 2;
  int defaultBmpMagnify = 1;
  std::string defaultPath;
  double rotationAngleDelta = 1.0;
  double stlGridWidth = 1.0;
  int stlGridCutoffEdgeZ = 0;
  double stlScale = 1.0;
  int stlAtomPoly = 4;
  double stlAtomRadius = 0.3;
  // [LAMMPS] (a section of ours): element symbols of the atom types of engine dumps, in type
  // order ("Cu O H": type 1 is copper).
  std::string lammpsTypeElements;
  // [ATOM]
  qv::ColorTables colors;

  // The text last read, kept so that an override is applied as if the file had said it.
  qv::IniModel ini;
};

// Reads every key in table order, then the ATOM section. Never fails: a missing file or key
// keeps the current values (Periodic excepted, which falls back to 3; list and text keys
// fall back to their default texts). Unusable numbers never reach a field: ints beyond 32
// bits are clamped, reals beyond a double (or inf, nan) keep the current value, list pieces
// beyond a float keep their slot's default, ATOM lines with such numbers are ignored. Every
// LARGE display key (Box and BGColor included) falls back to the VISUAL value just read.
void ReadSettings(const std::string& path, Settings& settings);
// The same from the file's bytes (what ReadSettings does once the file is read).
void ReadSettingsText(std::string_view text, Settings& settings);

// Applies one "SECTION:KEY=VALUE" override exactly as if the file said it. False when the
// text has no ':' or '='.
bool ApplySettingOverride(const std::string& assignment, Settings& settings);

// "setting.ini" in the current directory if it exists, else beside the program.
std::string SettingsFileLocation();
