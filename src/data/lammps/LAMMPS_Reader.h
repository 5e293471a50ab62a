#pragma once
// Text dump files of the LAMMPS molecular-dynamics engine ("lammpstrj", "dump"), read frame by
// frame on demand like the binary trajectories: each frame's header is found by a scan of its
// lines, its atoms are parsed only when the frame is read.
//
// A frame: ITEM: TIMESTEP, ITEM: NUMBER OF ATOMS, ITEM: BOX BOUNDS (orthogonal, or triclinic
// with the tilt factors xy xz yz), ITEM: ATOMS with its column names, then one line per atom.
// Other ITEM sections before the atoms (UNITS, TIME) are skipped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/fa2/FrameReader.h"

namespace qv {

class LAMMPS_Reader : public FrameReader {
 public:
  // typeElements[t - 1]: the atomic number of atom type t (from the settings); types beyond
  // the list, or given as a negative number, keep their type number as atomic number.
  explicit LAMMPS_Reader(std::vector<int32_t> typeElements = {});

  int ReadFrame(ATOMS_DATA& frame) override;
  int SkipFrame() override;
  // Frames carry the engine's timestep.
  bool KeepsStep() const override { return true; }

  // The longest line accepted (a longer one is refused, never split).
  static constexpr size_t kMaxLine = size_t{1} << 20;

 protected:
  int ReadHeader() override;

 private:
  // Columns beyond this many are never read.
  static constexpr int kMaxColumns = 64;
  enum : uint8_t { kRoleSkip, kRoleId, kRoleType, kRoleElement, kRolePos, kRoleVec = kRolePos + 3 };
  // Where each wanted column sits (-1: absent).
  struct Columns {
    int count = 0;
    int used = 0;  // words a line is read to: up to the last wanted column
    uint8_t role[kMaxColumns] = {};  // what each of those columns is
    int id = -1, type = -1, element = -1;
    int pos[3] = {-1, -1, -1};
    bool scaled = false;
    int vec[3] = {-1, -1, -1};
  };
  struct Header {
    int64_t timestep = 0;
    int32_t atoms = 0;
    double a[3] = {}, b[3] = {}, c[3] = {}, origin[3] = {};
    Columns columns;
  };

  // The next line from the logical position; false at the end of the file (or a read
  // error, or a line longer than kMaxLine: then tooLong_).
  bool Line(std::string_view& out);
  // Leaves the file at the logical position, so Tell() names the next frame.
  void Sync() { file_.Seek(pos_); }
  std::string Where() const;
  int ParseBox(std::string_view item);
  int ParseColumns(std::string_view item);
  // Views of the whole lines already in the buffer (at most `most`), consumed.
  size_t BufferedLines(std::vector<std::string_view>& out, size_t most);
  // One atom line into slot i of the frame (and its id); false with the reason otherwise.
  // Safe to run for different lines at the same time (it writes slot i only).
  bool ParseAtomLine(std::string_view line, size_t i, ATOMS_DATA& frame, int& nonFinite, std::string& problem,
                     int& code);

  std::vector<int32_t> typeElements_;
  Header header_;
  std::vector<char> buffer_;
  int64_t bufferStart_ = 0;  // file offset of buffer_[0]
  int64_t pos_ = 0;          // logical position
  bool eof_ = false;         // nothing after the buffer
  bool tooLong_ = false;
  // Per-frame scratch: atom ids before reordering.
  std::vector<int64_t> ids_;
  std::vector<uint32_t> order_;
};

}  // namespace qv
