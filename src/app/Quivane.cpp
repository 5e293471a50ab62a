#include "app/Quivane.h"

#include <algorithm>

#include "analysis/BondBuilder.h"
#include "app/DataTypes.h"
#include "rendering/Coloring.h"

Quivane::Quivane() {
  qv::RegisterDataTypes();
  drawColors = settings.colors;
}

void Quivane::TakeDrawColors() {
  drawColors = settings.colors;
  ++drawColorsRevision;
}

LoadOptions Quivane::MakeLoadOptions() const {
  LoadOptions o;
  o.bondCutoff = settings.bondCutoff;
  std::copy(settings.defaultBox.begin(), settings.defaultBox.end(), o.defaultBox);
  // Symbols separated by spaces or commas; one that names no element keeps its type number.
  const std::string& types = settings.lammpsTypeElements;
  for (size_t at = 0; at < types.size();) {
    const size_t from = types.find_first_not_of(" \t,", at);
    if (from == std::string::npos) break;
    const size_t to = std::min(types.find_first_of(" \t,", from), types.size());
    o.typeElements.push_back(qv::AtomicNumberOf(std::string_view(types).substr(from, to - from)));
    at = to;
  }
  // "Periodic" is read when the bonds are built, so a reloaded settings file applies to
  // frames whose bonds are built later. The containers live in dataSets, inside this object.
  const Settings* s = &settings;
  o.buildBonds = [s](ATOMS_DATA& frame, double cutoff) { BuildBonds(frame, frame.bonds, cutoff, s->periodic); };
  return o;
}

int Quivane::OpenAndPrepare(const std::string& path) {
  const size_t before = dataSets.Size();
  dataSets.OpenDataFile(path, MakeLoadOptions());
  if (dataSets.Size() > before && options.values.colorMode == qv::kColorByPressure) {
    ColorCurrentFrameByPressure(dataSets[dataSets.Size() - 1]);
  }
  return 1;
}

void Quivane::ApplyLargeDataCheck() { LargeDataCheck(settings, FirstAtomCount(), options); }

int Quivane::SetFrameAll(int target) {
  if (options.values.colorMode != qv::kColorByPressure) {
    return dataSets.SetFrameAll(target, settings.atomTrajectory);
  }
  return dataSets.SetFrameAll(target, settings.atomTrajectory, [this](LawData&, ATOMS_DATA& frame) {
    qv::PressureColors(frame, frame.bonds, settings.maxPressure, settings.colors);
  });
}

void Quivane::SetColorMode(int mode) {
  options.Set(kPropColorMode, mode);
  if (mode != qv::kColorByPressure && mode != qv::kColorByHeight) return;
  for (LawData& entry : dataSets.Entries()) ColorCurrentFrameByPressure(entry);
}

void Quivane::ColorCurrentFrameByPressure(LawData& entry) {
  if (entry.type != kTypeMD) return;
  ATOMS_DATA* frame = entry.CurrentAtoms();
  if (!frame) return;
  BOND_INFO* bonds = entry.CurrentBonds();
  qv::PressureColors(*frame, bonds ? *bonds : frame->bonds, settings.maxPressure, settings.colors);
}

int Quivane::FirstAtomCount() const {
  const LawData* first = dataSets.First();
  if (!first) return 0;
  const ATOMS_DATA* f = first->CurrentAtoms();
  return f ? f->atomCount : 0;
}

void Quivane::FitCameraToData() {
  camera.SetViewAngle(settings.viewAngleRadians);
  double size = 0;
  double centre[3] = {0, 0, 0};
  if (!dataSets.GetViewBounds(size, centre)) return;
  camera.FitToBounds(size, centre);
}
