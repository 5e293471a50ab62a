#pragma once
// Gridded point data: a text header names big-endian binary files with the points'
// coordinates and, per quantity, one data file per frame. Quantities are read again only
// when the frame changes.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataContainer.h"

// The header's statements: single values by key, and the ".Begin"/".End" lists by name.
struct VmecHeader {
  std::map<std::string, std::string> values;
  std::map<std::string, std::vector<std::string>> lists;

  static VmecHeader Parse(std::string_view text);
  const std::string* Value(const std::string& key) const;
  const std::vector<std::string>* List(const std::string& name) const;
};

enum VmecLoadCode : int {
  kVmecLoaded = 0,
  kVmecCannotOpenHeader = -1,
  kVmecNoGrids = -2,          // "grids" missing, not four integers, or negative
  kVmecGridsOverflow = -3,    // their product does not fit 64 bits
  kVmecEmptyGrid = -4,        // their product is 0
  kVmecCoordinateMissing = -5,  // ProblemFile() names it
  kVmecCoordinateSize = -6,     // value count is not the point count; ProblemFile() names it
};

class VMEC_Repository : public IDataContainer {
 public:
  int Load(const std::string& headerPath);

  // Clamps f to 0 .. FrameCount() - 1; when that is another frame, reads its data files.
  int SetFrame(int f);
  int Frame() const { return current_; }
  int FrameCount() const { return frameCount_; }
  void GetBox(double box[9], double origin[3]) const;

  int grids[4] = {0, 0, 0, 0};
  uint64_t PointCount() const { return pointCount_; }
  int Quantities() const { return quantities_; }
  int Stride() const { return 3 + quantities_; }
  // x, y, z and the quantities of every point, point after point.
  const std::vector<float>& Points() const { return points_; }
  float minimum[3] = {0, 0, 0}, maximum[3] = {0, 0, 0};
  float ramp[3][2] = {{0, 1}, {0, 1}, {0, 1}};
  float alpha = 0.01f;
  // Side of the sprites: a thousandth of the coordinate diagonal.
  float SpriteSize() const;

  const std::string& ProblemFile() const { return problemFile_; }
  // Data files read so far (each attempt counts).
  int64_t DataReads() const { return dataReads_; }
  // Bumped whenever the points' quantities change.
  uint32_t Generation() const { return generation_; }
  const VmecHeader& Header() const { return header_; }
  std::string Resolve(const std::string& name) const;

 private:
  // Reads one binary file of pointCount_ values (expected == 0: any count) into buf_;
  // prints why not on the console.
  bool ReadValues(const std::string& path, uint64_t expected);
  bool LoadFrame(int f);

  VmecHeader header_;
  std::string directory_;
  uint64_t pointCount_ = 0;
  int quantities_ = 1;
  std::vector<float> points_;
  std::vector<float> buf_;
  int frameCount_ = 0;
  int current_ = 0;
  std::string problemFile_;
  int64_t dataReads_ = 0;
  uint32_t generation_ = 0;
};
