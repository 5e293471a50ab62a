#pragma once
// The frame record shared by loaders, analyses, drawing and outputs.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/PodVector.h"

// One bond of the half list: atom i, neighbour j, and the vector from i to the bonded
// image of j (outside the box when the bond crosses a periodic face).
struct BOND_ENTRY {
  int32_t i;
  int32_t j;
  float dx;
  float dy;
  float dz;
};

// Bonds of one frame. bondCount == 0 means "not determined yet".
// The arrays only grow: their sizes are the capacities.
struct BOND_INFO {
  virtual ~BOND_INFO() = default;

  int32_t bondCount = 0;
  qv::PodVector<BOND_ENTRY> entries;  // size() is the entry capacity
  qv::PodVector<int32_t> counts;      // per atom: bonds of both halves
  // Per atom: packed pressure colours (bytes r, g, b, a), written by the pressure colouring.
  // Kept apart from the counts so that choosing the pressure colours never turns the bond
  // counts (coordination reports, bond-count colours) into colour words.
  qv::PodVector<int32_t> pressureColors;
  // Raised whenever the bonds or the pressure colours are written, so that a drawing that
  // keeps arrays made from them knows when they went stale without comparing contents.
  uint32_t revision = 0;

  bool Empty() const { return bondCount == 0; }
};

struct ATOMS_DATA {
  virtual ~ATOMS_DATA() = default;

  int32_t index = 0;     // position of the frame in its data set
  int32_t sequence = 0;  // index for binary/md3, 1-based running count for pdb/xyz/md/md2
  int32_t atomCount = 0;
  int32_t step = 0;      // index for binary/md3, MODEL number for pdb, 0 for xyz/md/md2
  double box[9] = {};    // a.x a.y a.z b.x b.y b.z c.x c.y c.z; all zero when the file has no box
  double origin[3] = {};
  // The file gave this frame its own cell although its format usually carries none (an
  // extended xyz title): the cell is drawn like a trajectory's box.
  bool cellFromFile = false;

  // Per-atom arrays; an empty array means the file did not carry it.
  qv::PodVector<int32_t> atomicNumbers;  // may hold -1 for an unknown symbol
  qv::PodVector<int32_t> tags;
  qv::PodVector<float> positions;  // x y z interleaved
  qv::PodVector<float> vectors;    // second triple; its first component is the pressure
  std::optional<std::string> comment;

  BOND_INFO bonds;

  bool HasAtomicNumbers() const { return !atomicNumbers.empty(); }
  bool HasTags() const { return !tags.empty(); }
  bool HasVectors() const { return !vectors.empty(); }

  // Sizes the arrays for n atoms. Contents are left uninitialised.
  void Allocate(int32_t n, bool withNumbers = true, bool withTags = false, bool withVectors = false) {
    atomCount = n;
    const size_t un = n > 0 ? static_cast<size_t>(n) : 0;
    atomicNumbers.resize(withNumbers ? un : 0);
    tags.resize(withTags ? un : 0);
    positions.resize(3 * un);
    vectors.resize(withVectors ? 3 * un : 0);
  }
};

namespace qv {
// Frames read whole by the text loaders, in file order.
using FrameList = std::vector<std::unique_ptr<ATOMS_DATA>>;
}  // namespace qv
