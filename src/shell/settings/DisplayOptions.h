#pragma once
#include <array>

struct Settings;

enum PropertyId : int {
  kPropProjection = 257,
  kPropBox = 258,
  kPropMultiData = 259,
  kPropAtomStyle = 260,
  kPropColorMode = 261,
  kPropBondStyle = 262,
  kPropBondPoly = 263,
  kPropAtomPoly = 264,
  kPropAtomRadius = 265,
  kPropBgRed = 512,
  kPropBgGreen = 513,
  kPropBgBlue = 514,
  kPropBgAlpha = 515,
};

// The codes the display values hold. The fields stay ints: a settings file may give any
// number, and every draw treats an unknown code as its documented fallback.
enum AtomStyle : int { kAtomStyleNone = 0, kAtomStylePolygons = 1, kAtomStylePoints = 2 };
enum BoxDisplay : int { kBoxOff = 0, kBoxOn = 1 };
enum BondDisplay : int { kBondsOff = 0, kBondsOn = 1 };
enum MultiDataLayout : int { kLayoutOverlaid = 0, kLayoutSideBySide = 1 };

namespace qv {
enum ColorMode : int {
  kColorByElement = 0,
  kColorByBondCount = 1,
  kColorByPressure = 2,
  kColorByHeight = 3,
};
}  // namespace qv

// Receives (property id, value) whenever a display option changes.
class INotifyProperty {
 public:
  virtual ~INotifyProperty() = default;
  virtual void Notify(int propertyId, int value) = 0;
};

// The values every draw reads; copied by value into each drawing call.
struct DisplayValues {
  int projection = 0;                 // ProjectionMode: 0 perspective, 1 orthographic
  int box = kBoxOn;                   // BoxDisplay
  int multiData = kLayoutSideBySide;  // MultiDataLayout
  int atomStyle = kAtomStylePolygons; // AtomStyle
  int colorMode = qv::kColorByElement;  // qv::ColorMode
  int atomPoly = 4;
  int bondStyle = kBondsOn;           // BondDisplay
  int bondPoly = 3;
  double atomRadius = 0.3;
  std::array<float, 4> background = {0, 0, 0, 0};
};

class DisplayOptions {
 public:
  INotifyProperty* listener = nullptr;
  DisplayValues values;

  // Stores an integer-valued option and announces it. Unknown ids are ignored.
  void Set(int propertyId, int value);
  // Stores a real-valued option (radius, background components) and announces its
  // value truncated to an integer.
  void SetReal(int propertyId, double value);
};

// Copies the VISUAL or LARGE display values into the record by atom count, announcing each
// in the fixed order: 257, 259, then 258, 260, 261, 262, 263, 264, 265, 512..515.
void LargeDataCheck(const Settings& settings, int atomCount, DisplayOptions& options);
