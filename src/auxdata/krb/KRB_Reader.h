#pragma once
// Particle event records: particles identified by 64-bit ids appear, move and are deleted,
// each record stamped with the frame at which it takes effect. The frame shown decides how
// many leading records are visible; KrbReplay turns them into live particles and trails.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataContainer.h"

enum KrbKind : int32_t { kKrbOrdinary = 1, kKrbBca = 2, kKrbDelete = 3 };

struct KrbRecord {
  int32_t species = -1;  // element-table index of the symbol, -1 when it has none
  float x = 0, y = 0, z = 0;
  int64_t id = 0;
  int64_t time = 0;
  int32_t kind = kKrbOrdinary;
};
static_assert(sizeof(KrbRecord) == 40);

enum KrbReadCode : int { kKrbRead = 0, kKrbCannotOpen = -1, kKrbNoBox = -3, kKrbShortBox = -4 };

class KRB_Reader : public IDataContainer {
 public:
  static constexpr size_t kInitialCapacity = 1048576;

  // z reversed mirrors every z and drops the origin by the box height.
  explicit KRB_Reader(bool zReversed = false) : zReversed_(zReversed) {}

  int Read(const std::string& path);
  int ReadMemory(std::string_view text);  // text that outlives the call

  // Clamps f to 0 .. FrameLimit(), makes the records with time <= f visible; returns f.
  int SetFrame(int f);
  int Frame() const { return frame_; }
  void GetBox(double box[9], double origin[3]) const;

  const std::vector<KrbRecord>& Records() const { return records_; }
  size_t VisibleCount() const { return visible_; }
  int64_t LastTime() const { return lastTime_; }
  // The largest frame set frame accepts: the last time, within 0 .. INT32_MAX.
  int FrameLimit() const;

  float box[9] = {};  // edge vectors as rows
  float origin[3] = {};

  // What the load met besides records: lines that are no record (skipped), and whether
  // the records had to be put in time order.
  int64_t skippedLines = 0;
  int64_t firstSkippedLine = 0;
  bool sortedByTime = false;

 private:
  template <class Lines>
  int ReadLines(Lines& lines);

  std::vector<KrbRecord> records_;
  int64_t lastTime_ = 0;
  size_t visible_ = 0;
  int frame_ = 0;
  bool zReversed_;
};
