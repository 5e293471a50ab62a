#include "app/EpsCommand.h"

#include <algorithm>

int WriteEpsCommand(Quivane& app, std::string* writtenPath) {
  LawData* first = app.dataSets.First();
  if (!first || first->type != kTypeMD) return kEpsNotApplicable;
  // Bonds first: determining them may bring the frame back into memory.
  const BOND_INFO* bonds = first->CurrentBonds();
  const ATOMS_DATA* frame = first->CurrentAtoms();
  if (!frame) return kEpsNotApplicable;

  EpsInput in;
  in.frame = frame;
  in.bonds = bonds;
  std::copy(std::begin(frame->box), std::end(frame->box), in.box);
  std::copy(std::begin(frame->origin), std::end(frame->origin), in.origin);
  in.camera = app.camera.camera;
  in.camera.viewAngle = app.settings.viewAngleRadians;
  in.projection = app.options.values.projection;
  in.width = app.drawWidth;
  in.height = app.drawHeight;
  in.settings = {app.settings.epsAtomSize, app.settings.epsBondSize, app.settings.epsBoxLineSize};

  const std::string path = EpsFileName(qv::BaseName(first->path), app.currentFrame);
  if (writtenPath) *writtenPath = path;
  return WriteEps(path, in);
}
