#pragma once
// EPS figure of one frame: atoms as outlined discs painted back to front, short bond lines,
// and the box as three back and nine front edges, all projected with the window's camera.
//
// What is left out so that every figure stays drawable: atoms behind the eye (clip w <= 0)
// and bond lines toward points behind it; atoms so close to the eye that their disc would
// be wider than 10,000 points; atoms with non-finite coordinates. Box edges that pass
// behind the eye are drawn only where they are in front of it (the farthest corner is
// chosen among the corners in front), and every line is cut to a band 10,000 points
// around the figure, which leaves everything that can be seen unchanged.
#include <string>

#include "data/AtomsData.h"
#include "rendering/Camera.h"

struct EpsSettings {
  double atomSize = 1.0;
  double bondSize = 0.5;
  double boxLineSize = 0.5;
};

struct EpsColor {
  double r, g, b;
};

// Fill colour of an atomic number. The table covers 0..21; every other number (above 21,
// and -1 for an unknown symbol) gets the table's default pink.
EpsColor EpsElementColor(int atomicNumber);

// An atom draws bond lines to at most this many neighbours, taken in the order of the
// frame's bond list. A bond beyond an atom's twelfth is not drawn from that atom; it still
// appears when its other atom has room, as a line from that atom to this one.
constexpr int kEpsMaxNeighbours = 12;

struct EpsInput {
  const ATOMS_DATA* frame = nullptr;
  // The frame's bonds (half list); null or empty: no bond lines.
  const BOND_INFO* bonds = nullptr;
  double box[9] = {};
  double origin[3] = {};
  CameraGL camera;
  int projection = kPerspective;
  int width = 640;  // window client size
  int height = 480;
  EpsSettings settings;
};

enum EpsResult : int {
  kEpsOk = 0,
  kEpsCannotCreate = -1,  // the file could not be opened; nothing was written
  kEpsWriteFailed = -2,   // writing failed part way; the partial file is removed
  kEpsEmptyView = -3,     // no client area to take the aspect from; nothing was written
};

// base + frame + ".eps": "run" at frame 12 gives "run12.eps".
std::string EpsFileName(const std::string& basePath, int frameIndex);

// The whole file text, lines ending in CR LF. False (out empty) for an empty client size.
bool FormatEps(const EpsInput& input, std::string& out);

// Writes the figure to path.
int WriteEps(const std::string& path, const EpsInput& input);

// "%8.3lf" of v, appended; exposed for the tests that hold it to printf.
void AppendEpsNumber(std::string& out, double v);
