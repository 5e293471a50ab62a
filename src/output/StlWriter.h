#pragma once
// Binary STL meshes of one frame: one tessellated sphere per atom, or one closed surface
// around the union of all atomic spheres sampled on the periodic grid of the box.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/fa2/BinaryFile.h"

namespace qv {

// Return codes of the writers. Success is the (non-negative) number of atoms.
enum StlResult : int {
  kStlOpenFailed = -1,    // the file could not be opened; nothing was written
  kStlWriteFailed = -2,   // writing failed part-way; the partial file is removed
  kStlBadParameter = -3,  // a setting or argument outside its meaning; nothing was written
  kStlTooLarge = -4,      // grid or triangle count beyond what the writer supports
  kStlNoData = -5,        // no trajectory to write (commands only); nothing was done
};

inline constexpr char kStlHeaderText[] = "STL object file created by Quivane";
inline constexpr int kStlHeaderBytes = 80;
inline constexpr int kStlTriangleBytes = 50;

// Polygon levels below 2 cannot close a sphere: they are taken as 2. Levels above the
// maximum are refused (the mesh alone would take gigabytes).
inline constexpr int kStlMinAtomPoly = 2;
inline constexpr int kStlMaxAtomPoly = 1024;

// The grid writer keeps 49 bytes per grid point; beyond this many points it refuses.
inline constexpr int64_t kStlMaxGridPoints = int64_t{1} << 25;
// More points along one axis than this and float vertex coordinates can no longer tell a
// crossing point from its grid point.
inline constexpr int kStlMaxGridAxis = 4096;
// A crossing value is kept at least this far (in grid spacings) from both ends of its grid
// edge, so a surface point never coincides with a grid point and no triangle collapses.
inline constexpr double kStlCrossingMargin = 1.0 / 64.0;

// Unit sphere tessellation with s latitude bands and 2s longitude segments.
struct SphereMesh {
  int bands = 0;
  int segments = 0;
  std::vector<double> positions;  // x y z per vertex, radius applied
  std::vector<double> normals;    // unit normal per vertex
  std::vector<int32_t> triangles; // three vertex indices per triangle, CCW from outside

  size_t VertexCount() const { return positions.size() / 3; }
  size_t TriangleCount() const { return triangles.size() / 3; }
};

// Builds the mesh; bands below kStlMinAtomPoly are taken as kStlMinAtomPoly. The caller
// keeps bands at or below kStlMaxAtomPoly.
SphereMesh BuildSphereMesh(double radius, int bands);

// Output file that closes itself; writes go through one buffer.
class StlFile {
 public:
  StlFile() = default;
  ~StlFile() { Close(); }
  StlFile(const StlFile&) = delete;
  StlFile& operator=(const StlFile&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  // Header text, zero padding and the triangle count.
  void WriteHeader(uint32_t triangleCount);
  void WriteTriangle(const float normal[3], const float v1[3], const float v2[3],
                     const float v3[3]);
  // Flushes and, when the count was not known up front, patches it in at offset 80.
  bool Finish(bool patchCount, uint32_t triangleCount);
  // Closes and deletes what was written (used after a failed write).
  void Discard();
  void Close();

 private:
  void Put(const void* data, size_t size);
  void Flush();

  BinaryFile file_;
  std::vector<unsigned char> buffer_;
  bool failed_ = false;
};

}  // namespace qv

// One closed sphere per atom.
class STL_Writer {
 public:
  // radius: "AtomRadius" of the OUTPUT section; bands: "STLAtomPoly".
  STL_Writer(double radius, int bands);

  // Writes the file; returns the number of atoms or a negative qv::StlResult.
  int Write(const std::string& path, const float* positions, int atomCount);

  int Bands() const { return bands_; }

 private:
  double radius_;
  int bands_;
  qv::StlFile file_;
};

struct StlGridOptions {
  double atomRadius = 0.3;   // "AtomRadius"
  double gridWidth = 1.0;    // "STLGridWidth"
  int cutoffEdgeZ = 0;       // "STLGridCutoffEdgeZ"
  double scale = 1.0;        // "STLScale"
};

// One closed surface around the union of all spheres on the periodic grid of the box.
class STL_Grid_Writer {
 public:
  explicit STL_Grid_Writer(const StlGridOptions& options);

  // box: the nine edge-vector components (a.x a.y a.z b.x ...); only a.x, b.y and c.z are
  // used. Returns the number of atoms or a negative qv::StlResult.
  int Write(const std::string& path, const float* positions, int atomCount, const double box[9]);

  // Triangles of the last successful Write.
  uint32_t TriangleCount() const { return triangleCount_; }

 private:
  StlGridOptions options_;
  qv::StlFile file_;
  uint32_t triangleCount_ = 0;
};
