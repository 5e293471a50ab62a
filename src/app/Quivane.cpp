#include "app/Quivane.h"

#include <algorithm>

#include "analysis/BondBuilder.h"

LoadOptions Quivane::MakeLoadOptions() const {
  LoadOptions o;
  o.bondCutoff = settings.bondCutoff;
  std::copy(settings.defaultBox.begin(), settings.defaultBox.end(), o.defaultBox);
  // "Periodic" is read when the bonds are built, so a reloaded settings file applies to
  // frames whose bonds are built later. The containers live in dataSets, inside this object.
  const Settings* s = &settings;
  o.buildBonds = [s](ATOMS_DATA& frame, double cutoff) { BuildBonds(frame, frame.bonds, cutoff, s->periodic); };
  return o;
}

int Quivane::OpenAndPrepare(const std::string& path) {
  dataSets.OpenDataFile(path, MakeLoadOptions());
  return 1;
}

void Quivane::ApplyLargeDataCheck() { LargeDataCheck(settings, FirstAtomCount(), options); }

int Quivane::SetFrameAll(int target) {
  return dataSets.SetFrameAll(target, settings.atomTrajectory);
}

int Quivane::FirstAtomCount() const {
  const LawData* first = dataSets.First();
  if (!first) return 0;
  const ATOMS_DATA* f = first->CurrentAtoms();
  return f ? f->atomCount : 0;
}
