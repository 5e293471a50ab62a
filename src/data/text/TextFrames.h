#pragma once
// Frame readers of the line-oriented trajectory formats pdb, xyz (also ".md") and md2.
// Each call returns the next frame of one load, or null at the end.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/AtomsData.h"
#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace qv {

enum class TextFormat { kPdb, kXyz, kMd2 };

// The text reader of the trajectory row the path's extension names (pdb; xyz for "xyz" and
// "md"; md2), none for other rows or extensions.
std::optional<TextFormat> TextFormatOfPath(std::string_view path);

// State shared by the frame reads of one load.
struct TextLoad {
  static constexpr int kInitialCapacity = 4096;

  explicit TextLoad(LineReader& l, const float box[9]);

  LineReader& lines;
  ATOMS_DATA work;  // pdb: growing atom buffer; its atomCount is the capacity
  int sequence = 1;
  float defaultBox[9];
  int largestAtomCount = 0;
  // pdb: whether a MODEL line has been seen, and whether a file without MODEL lines has
  // given its one frame.
  bool pdbSawModel = false;
  bool pdbDone = false;
};

std::unique_ptr<ATOMS_DATA> ReadPdbFrame(TextLoad& load);
std::unique_ptr<ATOMS_DATA> ReadXyzFrame(TextLoad& load);
std::unique_ptr<ATOMS_DATA> ReadMd2Frame(TextLoad& load);

// Calls the format's frame reader until it yields nothing, appending each frame with
// index = its position. Damaged input is reported on stdout. Returns 0, or -1 (nothing
// printed: the container reports it) when the file cannot be opened.
int LoadTextFrames(const std::string& path, TextFormat format, const float defaultBox[9],
                   std::vector<std::unique_ptr<ATOMS_DATA>>& frames, int& largestAtomCount);
int LoadTextFrames(LineReader& lines, TextFormat format, const float defaultBox[9],
                   std::vector<std::unique_ptr<ATOMS_DATA>>& frames, int& largestAtomCount);

// "pdb", "xyz" or "md2", as the messages name the format.
const char* TextFormatName(TextFormat f);
// One atom line [p, e) of an xyz or md2 frame into its atomic number and position; values
// that are not finite floats are stored as 0 and counted. readable: the end of the memory the
// line lies in, which may be read ahead (e when nothing past the line may be).
void ParseCountedAtomLine(TextFormat format, const char* p, const char* e, const char* readable, int32_t& z,
                          float* r, int& nonFinite);
// The same for a line [p, e) that words has taken.
void ParseCountedAtomLine(TextFormat format, scan::LineWords& words, const char* p, const char* e, int32_t& z,
                          float* r, int& nonFinite);

// The formats' own symbol tables.
int PdbAtomicNumber(std::string_view word);  // whole word, case-sensitive; 21 when unknown
int XyzAtomicNumber(std::string_view word);  // first two characters; 0 when unknown

}  // namespace qv
