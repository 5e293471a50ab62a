#pragma once
// Static polygon models: one indexed triangle mesh with a material list, whatever format it
// came from. The frame index chooses how many materials are drawn, so stepping through the
// frames builds the model up material by material.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/DataContainer.h"

struct PolyVertex {
  float position[3];
  float normal[3];
  float uv[2];
};
static_assert(sizeof(PolyVertex) == 32, "the renderers read 32-byte vertices");

struct PolyMaterial {
  std::array<float, 4> diffuse = {1, 1, 1, 1};
  std::string texturePath;  // empty: no texture, the diffuse colour alone
  uint32_t textureHandle = 0;  // the renderer's slot; 0 when handed out
  uint32_t indexCount = 0;
  uint32_t firstIndex = 0;  // sum of the index counts of all earlier materials
};

class IPolyRepository : public IDataContainer {
 public:
  // The vertex array with its stride in bytes and its count.
  virtual const PolyVertex* Vertices(uint32_t* stride, size_t* count) const = 0;
  // The index array (uint16_t or uint32_t elements), its width in bytes (2 or 4) and count.
  virtual const void* Indices(int* width, size_t* count) const = 0;
  // A copy of the materials and how many of them are drawn: the materials-shown count when
  // it lies between 1 and the material count - 1, otherwise all of them.
  virtual std::vector<PolyMaterial> Materials(size_t* drawCount) const = 0;
  // With X, Y, Z the largest absolute vertex coordinates: box diag(2X, 2Y, 2Z), origin -X, -Y, -Z.
  virtual void Bounds(double box[9], double origin[3]) const = 0;
  // Stores f clamped to 0 .. material count as the materials-shown count and returns it.
  virtual int SetFrame(int f) = 0;
  virtual int Frame() const = 0;
  // Exchanges y and z of every position and normal.
  virtual void SwapAxes() = 0;
  // Raised whenever the vertices change, so a drawer knows its copies are stale.
  virtual uint32_t Revision() const = 0;
};

namespace qv::poly {

// The mesh every loader fills. A loader calls Finish() once its arrays are complete.
class PolyMesh : public IPolyRepository {
 public:
  const PolyVertex* Vertices(uint32_t* stride, size_t* count) const override;
  const void* Indices(int* width, size_t* count) const override;
  std::vector<PolyMaterial> Materials(size_t* drawCount) const override;
  void Bounds(double box[9], double origin[3]) const override;
  int SetFrame(int f) override;
  int Frame() const override { return shown_; }
  void SwapAxes() override;
  uint32_t Revision() const override { return revision_; }

  size_t VertexCount() const { return vertices_.size(); }
  size_t IndexCount() const { return indices_.size(); }
  size_t MaterialCount() const { return materials_.size(); }
  const std::vector<PolyMaterial>& AllMaterials() const { return materials_; }
  const std::vector<uint32_t>& IndexList() const { return indices_; }
  const std::vector<PolyVertex>& VertexList() const { return vertices_; }
  // The folder of the model file ("" or ending in '/'): texture names are relative to it.
  const std::string& Directory() const { return directory_; }
  // Why the last load failed; empty after a success.
  const std::string& Error() const { return error_; }

 protected:
  // Checks what every format must hold (indices inside the vertex array, material index
  // counts inside the index list), sets first indices and packs 16-bit indices when
  // `narrowUpTo` vertices or fewer exist. False (with Error() set) when the mesh is unsound.
  bool Finish(size_t narrowUpTo);
  bool Fail(std::string message);
  void SetDirectoryFrom(const std::string& path);

  std::vector<PolyVertex> vertices_;
  std::vector<uint32_t> indices_;
  std::vector<PolyMaterial> materials_;
  std::string directory_;
  std::string error_;

 private:
  std::vector<uint16_t> narrow_;
  int shown_ = 0;
  uint32_t revision_ = 1;
};

// The texture path of a file name stored in a model: "\" read as "/", relative to `directory`;
// when no file has that exact name, one whose name differs only in letter case is taken, as
// the models come from systems whose file names ignore case. Empty for an empty name.
std::string TexturePath(const std::string& directory, std::string name);

// Text of the model formats as UTF-8: Shift-JIS (as PMD stores names), UTF-16LE (PMX
// encoding 0). Bytes that do not decode are kept as they are.
std::string FromShiftJis(const std::string& bytes);
std::string FromUtf16Le(const std::string& bytes);

}  // namespace qv::poly
