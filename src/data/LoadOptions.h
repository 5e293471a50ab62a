#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "data/AtomsData.h"

// What a loader needs from the settings and from the analysis layer, handed down so that
// the data layer depends on neither.
struct LoadOptions {
  double bondCutoff = 2.0;  // VISUAL "BondCutoff" when the container is created
  float defaultBox[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};  // BASIC "DefaultBox" for files without a box
  // LAMMPS "TypeElements": the atomic number of each atom type of engine dumps (type 1 first).
  std::vector<int32_t> typeElements;
  // Builds frame.bonds with the given cut-off. Empty: bonds stay undetermined.
  std::function<void(ATOMS_DATA& frame, double cutoff)> buildBonds;
};
