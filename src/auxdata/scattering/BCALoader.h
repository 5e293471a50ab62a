#pragma once
// Paths of projectile particles from a binary-collision run: polylines whose points carry
// an integer time step. The frame index is the step: a path shows its points up to the
// current step, so stepping lets the paths grow.
#include <cstdint>
#include <string>
#include <vector>

#include "data/DataContainer.h"

class DataTypeRegistry;

namespace qv {
class LineReader;
}

// What the scene draws: for each path with something visible, `counts[p]` consecutive entries
// of `indices` name its visible points in `points` (x y z per point).
struct BCAVisibleSet {
  const float* points = nullptr;
  const uint32_t* indices = nullptr;  // null when no point is visible
  const uint32_t* counts = nullptr;   // null when no path is visible
  int64_t pathCount = 0;
  int64_t pointCount = 0;  // entries of `indices`
};

class BCALoader : public IDataContainer {
 public:
  // More points than this are refused: visible indices are 32-bit and path lengths 31-bit.
  static constexpr int64_t kMaxPoints = INT32_MAX;

  BCALoader() = default;

  // Reads the file. False, with the reason on the console, when it cannot be opened or
  // holds a line that cannot be read at all (longer than the line buffer); rejected point
  // and box lines are reported and skipped.
  bool Open(const std::string& path);
  bool Read(qv::LineReader& lines, const std::string& name);

  // Clamps to 0 .. step count - 1 (0 when that is empty) and returns the step stored.
  int SetCurrentStep(int step);
  int CurrentStep() const { return currentStep_; }
  // Null when the file gave no point at all; else the set for the current step, rebuilt
  // only after the step changed.
  const BCAVisibleSet* GetVisibleSet();
  void GetBox(double box[9], double origin[3]) const;

  int32_t StepCount() const { return stepCount_; }
  // Steps set frame accepts: one more than the largest index it can reach.
  int32_t FrameCount() const { return stepCount_ > 0 ? stepCount_ : 1; }
  size_t PointCount() const { return steps_.size(); }
  size_t PathCount() const { return pathLengths_.size(); }
  bool HadBoxLine() const { return hadBox_; }
  // Bumped by every rebuild of the visible set, so a drawing can tell a stale copy.
  uint64_t Revision() const { return revision_; }

  const std::vector<float>& Points() const { return points_; }
  const std::vector<int32_t>& Steps() const { return steps_; }
  const std::vector<int32_t>& PathLengths() const { return pathLengths_; }

 private:
  void Rebuild();

  std::vector<float> points_;  // x y z per point, file order
  std::vector<int32_t> steps_;
  std::vector<int32_t> pathLengths_;
  std::vector<uint32_t> visibleIndices_;
  std::vector<uint32_t> visibleCounts_;
  bool dirty_ = true;
  int32_t currentStep_ = 0;
  int32_t stepCount_ = 0;
  bool hadBox_ = false;
  double box_[9] = {};
  double origin_[3] = {};
  BCAVisibleSet visible_;
  uint64_t revision_ = 0;
};

namespace qv {
// Rows "txt" and "traj" (type 2).
void RegisterScatteringTypes(DataTypeRegistry& registry);
}  // namespace qv
