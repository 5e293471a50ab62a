#pragma once
// A trajectory held in memory, standing in for a loaded file where the code under test only
// sees IMDContainer.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "data/DataContainer.h"

namespace qvtest {

class MemoryTrajectory : public IMDContainer {
 public:
  // `frameCount` empty frames, for the test to fill.
  explicit MemoryTrajectory(size_t frameCount = 0) : frames(frameCount) {}

  std::vector<ATOMS_DATA> frames;
  int current = 0;

  int GetFrameIndex() const override { return current; }
  // Clamped to the frames held, as the loaders do.
  int SetFrame(int target) override {
    current = std::clamp(target, 0, std::max(static_cast<int>(frames.size()) - 1, 0));
    return current;
  }
  ATOMS_DATA* GetCurrentFrame() override { return frames.empty() ? nullptr : &frames[current]; }
  // The current frame's own box and origin; false without a frame.
  bool GetBox(double box[9], double origin[3]) override {
    const ATOMS_DATA* f = GetCurrentFrame();
    if (!f) return false;
    std::copy(f->box, f->box + 9, box);
    std::copy(f->origin, f->origin + 3, origin);
    return true;
  }
  // The current frame's bond record as it stands.
  BOND_INFO* GetBonds() override {
    ATOMS_DATA* f = GetCurrentFrame();
    return f ? &f->bonds : nullptr;
  }
  void SetBondCutoff(double) override {}
};

}  // namespace qvtest
