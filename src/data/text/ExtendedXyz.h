#pragma once
// The title line of an extended xyz frame, as atomistic codes write it:
//   Lattice="ax ay az bx by bz cx cy cz" Properties=species:S:1:pos:R:3:forces:R:3 pbc="T T T"
// Lattice gives the frame's box (Origin="x y z" its corner), Properties where the species
// and positions sit among the columns. A title without either key is a plain comment.
#include <cstdint>
#include <string>
#include <string_view>

struct ATOMS_DATA;

namespace qv {

struct XyzColumns {
  int species = 0;  // word index of the element symbol, or -1
  int number = -1;  // word index of an atomic number column ("Z:I:1"), or -1
  int pos = 1;      // word index of x; y and z follow
  int words = 4;    // words an atom line needs
};

struct XyzTitle {
  bool extended = false;  // Properties= was read: atom lines follow `columns`
  bool lattice = false;
  double box[9] = {};
  double origin[3] = {};
  XyzColumns columns;
  std::string problem;  // why a key present was not used (empty when all was read)
};

// Cheap for the common plain title: only a title naming Lattice= or Properties= is parsed.
XyzTitle ParseXyzTitle(std::string_view title);

// The frame's box and origin from the title's Lattice and Origin; nothing without Lattice.
void ApplyXyzTitle(const XyzTitle& title, ATOMS_DATA& frame);

// One atom line by the columns of an extended title. The symbol goes through the full
// element table (extended files hold any element); values that are not finite floats are
// stored as 0 and counted. False when the line has fewer words than the columns need.
bool ParseExtendedAtomLine(const XyzColumns& columns, const char* p, const char* e, int32_t& z, float* r,
                           int& nonFinite);

}  // namespace qv
