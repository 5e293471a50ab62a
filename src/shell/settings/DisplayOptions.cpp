#include "shell/settings/DisplayOptions.h"

#include "shell/settings/Settings.h"
#include "shell/settings/Truncate.h"

namespace {

int* IntField(DisplayValues& v, int id) {
  switch (id) {
    case kPropProjection: return &v.projection;
    case kPropBox: return &v.box;
    case kPropMultiData: return &v.multiData;
    case kPropAtomStyle: return &v.atomStyle;
    case kPropColorMode: return &v.colorMode;
    case kPropBondStyle: return &v.bondStyle;
    case kPropBondPoly: return &v.bondPoly;
    case kPropAtomPoly: return &v.atomPoly;
    default: return nullptr;
  }
}

bool StoreReal(DisplayValues& v, int id, double value) {
  switch (id) {
    case kPropAtomRadius: v.atomRadius = value; return true;
    case kPropBgRed:
    case kPropBgGreen:
    case kPropBgBlue:
    case kPropBgAlpha: v.background[id - kPropBgRed] = static_cast<float>(value); return true;
    default: return false;
  }
}

}  // namespace

void DisplayOptions::Set(int propertyId, int value) {
  if (int* field = IntField(values, propertyId)) {
    *field = value;
  } else if (!StoreReal(values, propertyId, value)) {
    return;
  }
  if (listener) listener->Notify(propertyId, value);
}

void DisplayOptions::SetReal(int propertyId, double value) {
  if (int* field = IntField(values, propertyId)) {
    *field = qv::TruncateToInt(value);
  } else if (!StoreReal(values, propertyId, value)) {
    return;
  }
  // Listeners take integers; a radius or colour component is announced truncated.
  if (listener) listener->Notify(propertyId, qv::TruncateToInt(value));
}

void LargeDataCheck(const Settings& settings, int atomCount, DisplayOptions& options) {
  options.Set(kPropProjection, settings.projection);
  options.Set(kPropMultiData, settings.multiview);
  const DisplaySettings& d = atomCount < settings.largeThreshold ? settings.visual : settings.large;
  options.Set(kPropBox, d.box);
  options.Set(kPropAtomStyle, d.atom);
  options.Set(kPropColorMode, d.atomColor);
  options.Set(kPropBondStyle, d.bond);
  options.Set(kPropBondPoly, d.bondPoly);
  options.Set(kPropAtomPoly, d.atomPoly);
  options.SetReal(kPropAtomRadius, d.atomRadius);
  for (int i = 0; i < 4; ++i) options.SetReal(kPropBgRed + i, d.bgColor[i]);
}
