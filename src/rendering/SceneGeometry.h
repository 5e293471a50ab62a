#pragma once
// The geometry every back end and the STL writer share: the sphere tessellation, meshes,
// per-atom colour words, the batch arrays a draw call reads and their "VRAM" budget, box
// corners. Nothing here touches GL, so it is measured and tested without a context.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/AtomsData.h"
#include "data/ElementTable.h"
#include "data/PodVector.h"

namespace qv::geo {

// Levels beyond these would only exhaust memory; the menu offers far less.
constexpr int kMaxSpherePolygonLevel = 256;
constexpr int kMaxCylinderPolygonLevel = 1024;

// The program's one sphere: P stacks and 2P slices, the north pole first and the south pole
// last, unit normals in double precision, triangles counter-clockwise seen from outside.
// Screen meshes and STL spheres are both made from it, so they show the same facets.
struct SphereTessellation {
  int stacks = 0;
  int slices = 0;
  std::vector<double> normals;      // x y z per vertex
  std::vector<uint32_t> triangles;  // three vertex indices per triangle
};
// stacks must be at least 2.
void TessellateSphere(int stacks, SphereTessellation& out);

struct Mesh {
  qv::PodVector<float> positions;  // x y z per vertex
  qv::PodVector<float> normals;    // x y z per vertex
  qv::PodVector<uint32_t> indices;
  int vertexCount = 0;
  int indexCount = 0;
};

// P stacks and 2P slices. Levels below 2 give an empty mesh (nothing is drawn); levels above
// kMaxSpherePolygonLevel are clamped.
void BuildSphereMesh(int level, float radius, Mesh& mesh);
// K sides, ring 0 at z = 0 and ring 1 at z = 1, no end caps. Levels below 1 give an empty
// mesh; levels above kMaxCylinderPolygonLevel are clamped.
void BuildCylinderMesh(int level, float radius, Mesh& mesh);

// Colour word: bytes red, green, blue, alpha in memory order.
inline uint32_t PackColor(qv::Rgba c) {
  return static_cast<uint32_t>(c.r) | static_cast<uint32_t>(c.g) << 8 |
         static_cast<uint32_t>(c.b) << 16 | static_cast<uint32_t>(c.a) << 24;
}
inline bool Visible(uint32_t word) { return (word >> 24) != 0; }

// Client-side arrays of one draw call; they only grow.
struct BatchArrays {
  qv::PodVector<float> positions;
  qv::PodVector<float> normals;
  qv::PodVector<uint32_t> colors;
  qv::PodVector<uint32_t> indices;
  size_t vertexCount = 0;
  size_t indexCount = 0;

  void Reserve(size_t vertices, size_t indices);
};

// How many meshes of the given size fit the budget in one batch: at least 1.
size_t BatchCapacity(int64_t budgetBytes, const Mesh& mesh);

// x y z and the colour word of every visible atom of [first, last), four words per atom,
// into out (room for 4 (last - first) words); returns how many atoms were written.
size_t PackVisibleInstances(const float* atomPositions, const uint32_t* colors, size_t first, size_t last,
                            uint32_t* out);
// Fills the batch with the spheres of atoms [first, last) whose colour is visible.
void FillSphereBatch(const Mesh& sphere, const float* atomPositions, const uint32_t* colors,
                     size_t first, size_t last, BatchArrays& batch);
// Fills the batch with the cylinders of bond entries [first, last) whose two atoms are
// both visible; entries naming atoms outside [0, atomCount) are left out.
void FillBondBatch(const Mesh& cylinder, const BOND_ENTRY* bonds, const float* atomPositions,
                   const uint32_t* colors, int32_t atomCount, size_t first, size_t last,
                   BatchArrays& batch);
// One colour word per atom for the colour mode (the colouring modes' rules), as the words
// the batch arrays take. scratch is working storage kept by the caller.
void FillAtomColors(const ATOMS_DATA& frame, const BOND_INFO* bonds, int colorMode,
                    const qv::ColorTables& tables, double maxPressure,
                    std::vector<qv::Rgba>& scratch, qv::PodVector<uint32_t>& out);
// The placement of one cylinder: unit axes u and v across the bond direction d, with
// (u, v, d) right-handed.
void CylinderAxes(float dx, float dy, float dz, float u[3], float v[3]);

// The eight corners of the parallelepiped with corner o and edge vectors a, b, c, numbered
// by the bits of (i, j, k): corner i + 2j + 4k is o + i a + j b + k c.
std::array<std::array<float, 3>, 8> BoxCorners(const float a[3], const float b[3],
                                               const float c[3], const float o[3]);
// Its twelve edges as pairs of corner numbers: the bottom loop, the top loop, the uprights.
extern const std::array<std::array<int, 2>, 12> kBoxEdges;

}  // namespace qv::geo
