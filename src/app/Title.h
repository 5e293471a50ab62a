#pragma once
// The title bar doubles as the status line.
#include <string>
#include <string_view>

struct ATOMS_DATA;

namespace qv::cmd {

inline constexpr const char* kProgramTitle = "Quivane 3.7.3";
inline constexpr const char* kVersionText = "Quivane 3.6.11";

// "full", "vsync", "eco", "manual" for pacing modes 0..3; "?" for anything else.
const char* PacingModeName(int mode);

struct TitleInputs {
  std::string_view fileName;  // the first data set's name (after the last '/')
  int currentFrame = 0;
  double fps = 0.0;
  int pacingMode = 2;
  bool editMode = false;
  int selectedAtom = -1;
  const ATOMS_DATA* frame = nullptr;  // the first data set's current frame, if atomistic
};

// The title text. Never reads outside the frame's arrays or the element table: a selection
// that no longer exists reads "[edit] no-selected", an unknown atomic number shows "?".
std::string FormatTitle(const TitleInputs& in);

// The status bar's frame field: "frame 12 / 400", or "frame 12 / 400+" while the count is
// only what has been indexed so far; "frame 12" when the count is not known.
std::string FrameStatusText(int frame, int count, bool complete);

}  // namespace qv::cmd
