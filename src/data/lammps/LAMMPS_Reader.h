#pragma once
// Text dump files of the LAMMPS molecular-dynamics engine ("lammpstrj", "dump"), read frame by
// frame on demand like the binary trajectories: each frame's header is found by a scan of its
// lines, its atoms are parsed only when the frame is read.
//
// A frame: ITEM: TIMESTEP, ITEM: NUMBER OF ATOMS, ITEM: BOX BOUNDS (orthogonal, or triclinic
// with the tilt factors xy xz yz), ITEM: ATOMS with its column names, then one line per atom.
// Other ITEM sections before the atoms (UNITS, TIME) are skipped.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/fa2/FrameReader.h"
#include "data/text/TextWindow.h"

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
  // The window over the file that atom lines are read through, placed at the logical
  // position; false (with the failure recorded) when the file cannot be mapped.
  bool BodyWindow();
  // Passes over the frame's n atom lines from the logical position, handing out runs of
  // whole lines (first atom, begin, end, lines) that stay valid until the window's
  // drain, which runs before the window moves and once at the end; the logical position
  // follows. Returns kFrameOk or the failure.
  int AtomLines(int n, int64_t perRun, const std::function<void(int64_t, const char*, const char*, int64_t)>& run,
                const std::function<void()>& drain);
  // What parsing some atom lines found.
  struct LineOutcome {
    int nonFinite = 0;
    int64_t bad = -1;  // the first line that is not an atom line
    int code = kFrameOk;
    std::string problem;
    bool misplaced = false;  // an id that names no free slot
  };
  // One atom line (its words), the i-th of the frame, into the slot its id names (placeById_) or into
  // slot i and its id into ids_; false with the reason otherwise. Safe to run for different
  // lines at the same time.
  template <class Words>
  bool ParseAtomLine(Words& words, size_t i, ATOMS_DATA& frame, LineOutcome& out);
  // Every atom line of the frame from the logical position, parsed in parallel.
  int ParseBody(ATOMS_DATA& frame, int n, bool placeById, LineOutcome& result);
  // Puts atoms read in file order into the order of their ids (stable for repeats).
  void SortById(ATOMS_DATA& frame, size_t n);

  std::vector<int32_t> typeElements_;
  Header header_;
  // Headers are read through a small buffer, atom lines through the mapped window.
  std::unique_ptr<TextWindow> window_;
  std::vector<char> buffer_;
  int64_t bufferStart_ = 0;  // file offset of buffer_[0]
  int64_t pos_ = 0;          // logical position
  bool eof_ = false;         // nothing after the buffer
  bool tooLong_ = false;
  // Per-frame scratch: which slots hold an atom; atom ids and their order when they are
  // not simply 1..n.
  bool placeById_ = false;
  std::vector<uint8_t> seen_;
  std::vector<int64_t> ids_;
  std::vector<uint32_t> order_;
};

}  // namespace qv
