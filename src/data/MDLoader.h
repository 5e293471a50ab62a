#pragma once
// Trajectory container for fa2, fad, md3, pdb, xyz, md, md2 and engine dump files. Binary
// files and dumps are indexed within a fixed memory budget at open and read again on demand;
// the other text files are held in memory whole.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DataContainer.h"
#include "data/LoadOptions.h"
#include "data/fa2/BinaryFile.h"

namespace qv {
class FrameReader;
}
enum TrajectoryFormat : int;  // data/DataTypeRegistry.h

struct FrameSlot {
  int64_t offset = 0;                 // file offset of the frame (0 for text formats)
  std::unique_ptr<ATOMS_DATA> frame;  // null when evicted or not read yet
  int32_t pinned = 0;                 // never evicted
};

class MDLoader : public IMDContainer {
 public:
  enum FormatCode : int32_t {
    kFormatFailed = -1, kFormatInMemory = 0, kFormatFAD = 2, kFormatFA2 = 4, kFormatLammps = 6
  };
  // Frames starting at or below this offset are read at open; their number is the
  // container's resident budget for the rest of its life.
  static constexpr int64_t kIndexLimit = 16 * 1024 * 1024;

  explicit MDLoader(LoadOptions options = {});
  ~MDLoader() override;
  MDLoader(const MDLoader&) = delete;
  MDLoader& operator=(const MDLoader&) = delete;

  // Loads or indexes the file with the reader of the data-type row its extension names
  // (case-sensitive). Returns the format code.
  int Open(const std::string& path);
  // The same with the reader given.
  int Open(const std::string& path, TrajectoryFormat format);

  // IMDContainer
  int GetFrameIndex() const override { return current_; }
  int SetFrame(int target) override;
  ATOMS_DATA* GetCurrentFrame() override;
  bool GetBox(double box[9], double origin[3]) override;
  BOND_INFO* GetBonds() override;
  void SetBondCutoff(double cutoff) override { bondCutoff_ = cutoff; }
  int KnownFrameCount(bool* complete) const override {
    if (complete) *complete = format_ != kFormatFailed && nextOffset_ == 0;
    return static_cast<int>(slots_.size());
  }

  // Text-format loading (pdb, xyz, md, md2, md3) builds the frame list through these.
  // AppendFrame gives the frame index = its position and adds an in-memory slot; the
  // caller sets sequence and step as its format defines them.
  void AppendFrame(std::unique_ptr<ATOMS_DATA> frame);
  // Ends a text load: format code 0 and the "frame loaded" report.
  void FinishInMemoryLoad();
  // The open-failure report: the "cannot be opened" line (binary and md3) and the path line.
  static void ReportOpenFailure(const std::string& path, bool withErrorLine);

  // State, for the dispatch, the tools and the tests.
  int FormatCode() const { return format_; }
  size_t SlotCount() const { return slots_.size(); }
  const FrameSlot& Slot(size_t i) const { return slots_[i]; }
  void PinSlot(size_t i) {
    if (i < slots_.size()) slots_[i].pinned = 1;
  }
  size_t ResidentCount() const;
  int64_t NextFrameOffset() const { return nextOffset_; }
  double BondCutoff() const { return bondCutoff_; }
  const LoadOptions& Options() const { return options_; }
  int32_t LargestAtomCount() const { return largestAtomCount_; }
  // Read counters of the binary reader (null for text formats).
  qv::ReadStats* Stats();

 private:
  int OpenBinary(const std::string& path, TrajectoryFormat format);
  // Loading of the text formats; the text readers plug in here.
  int OpenText(const std::string& path, TrajectoryFormat format);

  // Binary reader access, whichever format is open.
  bool SeekTo(int64_t offset);
  int64_t Tell() const;
  int PeekAtomCount();
  std::unique_ptr<ATOMS_DATA> ReadFrame();  // null at the end of data or on failure
  bool SkipFrame();                         // over the body of a peeked header
  void ReportReadFailure(int code);

  bool StepOnce();
  void EvictOne();
  void Number(ATOMS_DATA& frame, int index) const;

  LoadOptions options_;
  std::vector<FrameSlot> slots_;
  std::unique_ptr<qv::FrameReader> binary_;  // fa2 or fad
  int64_t nextOffset_ = 0;
  int32_t format_ = kFormatFailed;
  int32_t current_ = 0;
  int32_t largestAtomCount_ = 0;
  double bondCutoff_ = 2.0;
};
