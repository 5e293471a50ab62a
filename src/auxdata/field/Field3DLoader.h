#pragma once
// Scalar fields on regular grids, one or more frames. Every value becomes a colour and an
// opacity when it is read, so a frame change only switches which cell array is drawn.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DataContainer.h"
#include "data/PodVector.h"

class DataTypeRegistry;

namespace qv {
// The colour and opacity of a normalised value: bytes r g b a. Negative values are black;
// from 1 on red; opacity trunc(96 v), transparent below 8 and saturating at 255.
// Not-a-number is transparent black.
void FieldColor(double v, uint8_t rgba[4]);
}  // namespace qv

// One frame: a cell's colour is at 4 * ((ix * ny + iy) * nz + iz), z varying fastest.
struct FieldFrame {
  qv::PodVector<uint8_t> cells;  // r g b a per cell
  int32_t nx = 0, ny = 0, nz = 0;
  double box[9] = {};  // edge vectors a, b, c spanning the whole grid
  double origin[3] = {};
  // The bounds the values were normalised by (cube), or their extremes (bif, not normalised).
  double valueMin = 0, valueMax = 0;

  size_t CellCount() const { return cells.size() / 4; }
};

class Field3DLoader : public IDataContainer {
 public:
  // Grids of more cells than this are refused: cell counts are 32-bit.
  static constexpr int64_t kMaxCells = INT32_MAX;

  // Reads a ".cube" or ".bif" file (chosen by the exact ending). 0 with at least one frame;
  // a negative value, the reason on the console, when nothing could be read. A damaged
  // later frame of a bif file ends the file there, with a message.
  int Read(const std::string& path);

  int SetFrame(int target);  // clamps to the frames; returns the index reached
  int FrameIndex() const { return current_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  const FieldFrame* CurrentFrame() const;
  const FieldFrame& Frame(int i) const { return *frames_[static_cast<size_t>(i)]; }
  bool GetBox(double box[9], double origin[3]) const;

  // For the readers.
  void AddFrame(std::unique_ptr<FieldFrame> frame) { frames_.push_back(std::move(frame)); }

 private:
  std::vector<std::unique_ptr<FieldFrame>> frames_;
  int current_ = 0;
};

// Frames of a binary field file (magic "BINFIELD"), values taken as they are.
struct BIF_Reader {
  // 0 when at least one frame was added.
  static int Read(const std::string& path, Field3DLoader& loader);
};

// The one frame of a text cube file, normalised to its own extremes.
struct CUBE_Reader {
  // 0 when the frame was added.
  static int Read(const std::string& path, Field3DLoader& loader);
};

namespace qv {
// Rows "cube" and "bif" (type 3).
void RegisterFieldTypes(DataTypeRegistry& registry);
}  // namespace qv
