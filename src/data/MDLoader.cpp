#include "data/MDLoader.h"

#include "data/DataTypeRegistry.h"

#include <algorithm>
#include <cstdio>

#include "data/Console.h"
#include "data/fa2/FA2_Reader.h"
#include "data/fa2/FAD_Reader.h"
#include "data/lammps/LAMMPS_Reader.h"
#include "data/md3/MD3Load.h"
#include "data/text/TextFrames.h"

MDLoader::MDLoader(LoadOptions options)
    : options_(std::move(options)), bondCutoff_(options_.bondCutoff) {}

MDLoader::~MDLoader() = default;

int MDLoader::Open(const std::string& path) {
  const DataTypeRow* row = DataTypeRegistry::Instance().FindForPath(path);
  if (!row || row->type != kTypeMD) {
    format_ = kFormatFailed;
    return format_;
  }
  return Open(path, static_cast<TrajectoryFormat>(row->format));
}

int MDLoader::Open(const std::string& path, TrajectoryFormat format) {
  switch (format) {
    case kTrajFA2:
    case kTrajFAD:
    case kTrajLammps:
      return OpenBinary(path, format);
    case kTrajMD3:
    case kTrajPdb:
    case kTrajXyz:
    case kTrajMd2:
      return OpenText(path, format);
  }
  format_ = kFormatFailed;
  return format_;
}

int MDLoader::OpenText(const std::string& path, TrajectoryFormat format) {
  qv::FrameList frames;
  int rc = 0;
  if (format == kTrajMD3) {
    rc = qv::LoadMd3Frames(path, frames);
  } else {
    const qv::TextFormat text = format == kTrajPdb   ? qv::TextFormat::kPdb
                                : format == kTrajMd2 ? qv::TextFormat::kMd2
                                                     : qv::TextFormat::kXyz;
    int largest = largestAtomCount_;
    rc = qv::LoadTextFrames(path, text, options_.defaultBox, frames, largest);
  }
  if (rc != 0) {
    // md3 opens like the binary formats and reports both lines; pdb/xyz/md/md2 the path only.
    ReportOpenFailure(path, format == kTrajMD3);
    format_ = kFormatFailed;
    return format_;
  }
  // Every frame stays resident: text formats are never evicted or read again.
  for (auto& frame : frames) AppendFrame(std::move(frame));
  FinishInMemoryLoad();
  return format_;
}

void MDLoader::ReportOpenFailure(const std::string& path, bool withErrorLine) {
  if (withErrorLine) qv::ConsolePrint("error: file cannot be opened\n");
  qv::ConsolePrint("ファイルのオープンに失敗しました : %s\n", path.c_str());
}

void MDLoader::AppendFrame(std::unique_ptr<ATOMS_DATA> frame) {
  if (!frame) return;
  frame->index = static_cast<int32_t>(slots_.size());
  largestAtomCount_ = std::max(largestAtomCount_, frame->atomCount);
  slots_.push_back(FrameSlot{0, std::move(frame)});
}

void MDLoader::FinishInMemoryLoad() {
  format_ = kFormatInMemory;
  if (nextOffset_ != 0) qv::ConsolePrint("buffer fulls halfway\n");
  qv::ConsolePrint("%d frame loaded\n", static_cast<int>(slots_.size()));
}

void MDLoader::Number(ATOMS_DATA& frame, int index) const {
  frame.index = index;
  frame.sequence = index;
  // Engine dumps keep the timestep they were written at.
  if (!binary_ || !binary_->KeepsStep()) frame.step = index;
}

// --- binary reader access -------------------------------------------------------------

bool MDLoader::SeekTo(int64_t offset) {
  return binary_ && binary_->Seek(offset);
}

int64_t MDLoader::Tell() const {
  return binary_ ? binary_->Tell() : -1;
}

int MDLoader::PeekAtomCount() {
  return binary_ ? binary_->PeekAtomCount() : kFrameIoError;
}

void MDLoader::ReportReadFailure(int code) {
  if (code >= 0 || code == kFrameEnd) return;
  const std::string& msg = binary_ ? binary_->LastError() : std::string();
  qv::ConsoleError("error: %s; the frames before it are kept\n", msg.c_str());
}

std::unique_ptr<ATOMS_DATA> MDLoader::ReadFrame() {
  auto frame = std::make_unique<ATOMS_DATA>();
  const int rc = binary_ ? binary_->ReadFrame(*frame) : kFrameIoError;
  if (rc != kFrameOk) {
    ReportReadFailure(rc);
    return nullptr;
  }
  return frame;
}

bool MDLoader::SkipFrame() {
  const int rc = binary_ ? binary_->SkipFrame() : kFrameIoError;
  ReportReadFailure(rc);
  return rc == kFrameOk;
}

qv::ReadStats* MDLoader::Stats() {
  return binary_ ? &binary_->Stats() : nullptr;
}

// --- indexing at open -----------------------------------------------------------------

int MDLoader::OpenBinary(const std::string& path, TrajectoryFormat format) {
  if (format == kTrajFA2) {
    binary_ = std::make_unique<FA2_Reader>();
  } else if (format == kTrajLammps) {
    binary_ = std::make_unique<qv::LAMMPS_Reader>(options_.typeElements);
  } else {
    binary_ = std::make_unique<FAD_Reader>();
  }
  if (binary_->Open(path) != 0) {
    binary_.reset();
    ReportOpenFailure(path, true);
    format_ = kFormatFailed;
    return format_;
  }
  format_ = format == kTrajFA2 ? kFormatFA2 : format == kTrajLammps ? kFormatLammps : kFormatFAD;

  nextOffset_ = 0;
  int64_t offset = 0;
  std::unique_ptr<ATOMS_DATA> frame = ReadFrame();
  while (frame) {
    Number(*frame, static_cast<int>(slots_.size()));
    slots_.push_back(FrameSlot{offset, std::move(frame)});

    offset = Tell();
    nextOffset_ = offset;
    if (offset > kIndexLimit) {
      // Past the budget: only find out whether a frame is there; the body stays unread.
      const int n = PeekAtomCount();
      if (n <= 0) {
        ReportReadFailure(n);
        nextOffset_ = 0;
      }
      break;
    }
    frame = ReadFrame();
    if (!frame) nextOffset_ = 0;
  }
  return format_;
}

// --- frame selection ------------------------------------------------------------------

size_t MDLoader::ResidentCount() const {
  return static_cast<size_t>(
      std::count_if(slots_.begin(), slots_.end(), [](const FrameSlot& s) { return s.frame != nullptr; }));
}

void MDLoader::EvictOne() {
  for (size_t i = 0; i < slots_.size(); ++i) {
    FrameSlot& s = slots_[i];
    if (static_cast<int>(i) != current_ && s.frame && !s.pinned) {
      s.frame.reset();
      return;
    }
  }
}

bool MDLoader::StepOnce() {
  if (format_ == kFormatFailed) return false;
  if (static_cast<size_t>(current_) + 1 < slots_.size()) {
    ++current_;
    return true;
  }
  if (nextOffset_ == 0 || format_ == kFormatInMemory) return false;
  const int64_t offset = nextOffset_;
  std::unique_ptr<ATOMS_DATA> frame;
  if (SeekTo(offset)) frame = ReadFrame();
  if (!frame) {
    nextOffset_ = 0;
    return false;
  }
  nextOffset_ = Tell();
  ++current_;
  Number(*frame, current_);
  slots_.push_back(FrameSlot{offset, std::move(frame)});
  EvictOne();
  return true;
}

int MDLoader::SetFrame(int target) {
  if (target > current_) {
    const int64_t n = int64_t{target} - current_;
    for (int64_t k = 0; k + 1 < n; ++k) {
      if (static_cast<size_t>(current_) + 1 < slots_.size()) {
        ++current_;
        continue;
      }
      // Past the last slot: index the next frame without reading its atoms.
      if (format_ <= kFormatInMemory || nextOffset_ == 0) return current_;
      const int64_t offset = nextOffset_;
      if (!SeekTo(offset)) {
        nextOffset_ = 0;
        return current_;
      }
      const int atoms = PeekAtomCount();
      if (atoms <= 0 || !SkipFrame()) {
        ReportReadFailure(atoms);
        nextOffset_ = 0;
        return current_;
      }
      nextOffset_ = Tell();
      slots_.push_back(FrameSlot{offset, nullptr});  // indexed, not read
      ++current_;
    }
    StepOnce();
  } else if (target < current_) {
    if (format_ != kFormatFailed && current_ != 0) current_ = std::max(target, 0);
  }
  return current_;
}

ATOMS_DATA* MDLoader::GetCurrentFrame() {
  if (format_ == kFormatFailed || static_cast<size_t>(current_) >= slots_.size()) return nullptr;
  FrameSlot& slot = slots_[current_];
  if (!slot.frame && format_ > kFormatInMemory) {
    std::unique_ptr<ATOMS_DATA> frame;
    if (SeekTo(slot.offset)) frame = ReadFrame();
    if (!frame) return nullptr;
    Number(*frame, current_);
    slot.frame = std::move(frame);
    EvictOne();
  }
  return slot.frame.get();
}

bool MDLoader::GetBox(double box[9], double origin[3]) {
  if (static_cast<size_t>(current_) >= slots_.size()) return false;
  const ATOMS_DATA* f = slots_[current_].frame.get();
  if (!f) return false;
  std::copy(f->box, f->box + 9, box);
  std::copy(f->origin, f->origin + 3, origin);
  return true;
}

BOND_INFO* MDLoader::GetBonds() {
  if (static_cast<size_t>(current_) >= slots_.size()) return nullptr;
  ATOMS_DATA* f = slots_[current_].frame.get();
  if (!f) return nullptr;
  if (f->bonds.bondCount == 0 && options_.buildBonds) options_.buildBonds(*f, bondCutoff_);
  return &f->bonds;
}
