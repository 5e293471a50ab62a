#pragma once
// Bond determination: every pair of atoms (per periodic image) within one cut-off.
#include <cstddef>
#include <cstdint>

#include "data/AtomsData.h"

class DataSetList;

// What one build used, for measurement and tests.
struct BondBuildStats {
  size_t workingBytes = 0;  // memory held during the build beyond the frame and its bonds
  int32_t cells[3] = {0, 0, 0};
  bool periodicImages = false;  // false: the search saw no periodic images
  bool walkedByCell = false;    // taken for atoms in no spatial order (see BondWalk)
  int threads = 1;
  int lanes = 0;  // float lanes of the search below the atoms' spacing (4 or 8); 0: not taken
};

// How the build walks the atoms; both give the same list in the same order. By index suits
// atoms listed in space order, by cell (two passes) atoms listed at random; below the atoms'
// spacing, where the search runs cell by cell on float copies anyway, by cell keeps a record
// per slot so that no pair's exact positions are fetched from far away. kAuto looks at the
// order of the atoms.
enum class BondWalk { kAuto, kByIndex, kByCell };

// Determines the bonds of one frame into `bonds` (usually frame.bonds): a half list, each
// bonded pair once per periodic image in order of its first atom, with the vector from atom
// i to the bonded image of j, and full per-atom counts. `periodic` non-zero searches the
// frame's box periodically and moves every atom back into it; 0, or a frame without a
// usable box, searches the atoms where they are without images. Atoms with non-finite
// coordinates get no bonds. The entry and count arrays only grow. Returns the bond count.
// `threads` 0 uses two threads for a large frame on a machine with two cores or more; 1 or
// 2 asks for that many. The result does not depend on it.
int32_t BuildBonds(ATOMS_DATA& frame, BOND_INFO& bonds, double cutoff, int periodic,
                   BondBuildStats* stats = nullptr, BondWalk walk = BondWalk::kAuto, int threads = 0);

// On a processor with AVX2 the search places four atoms at a time in their cells and, below
// the atoms' spacing, compares eight float lanes at a time; without, one atom and four
// lanes, with the same result. false takes the narrow paths (tests of them).
void AllowWideBondLanes(bool allowed);

// Builds the bonds of the current frame of every trajectory data set with the given
// cut-off (the setting's, not the containers' own).
void RebuildAllBonds(DataSetList& sets, double cutoff, int periodic);

// The re-judge command: nothing happens while a movie plays (returns false; the caller
// shows "Prease stop movie.\n"); otherwise RebuildAllBonds and true (the caller repaints).
bool RejudgeBonds(DataSetList& sets, double cutoff, int periodic, bool playing);
