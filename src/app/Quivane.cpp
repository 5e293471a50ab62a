#include "app/Quivane.h"

#include <algorithm>

LoadOptions Quivane::MakeLoadOptions() const {
  LoadOptions o;
  o.bondCutoff = settings.bondCutoff;
  std::copy(settings.defaultBox.begin(), settings.defaultBox.end(), o.defaultBox);
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

void Quivane::FitCameraToData() {
  camera.SetViewAngle(settings.viewAngleRadians);
  double size = 0;
  double centre[3] = {0, 0, 0};
  if (!dataSets.GetViewBounds(size, centre)) return;
  camera.FitToBounds(size, centre);
}
