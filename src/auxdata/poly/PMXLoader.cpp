#include "auxdata/poly/PMXLoader.h"

#include "auxdata/poly/ByteReader.h"

using qv::poly::ByteReader;

namespace {

bool ValidWidth(int w) { return w == 1 || w == 2 || w == 4; }

// A length-prefixed text; false when the length is negative or runs past the file.
bool ReadText(ByteReader& r, std::string* out) {
  const int32_t n = r.Get<int32_t>();
  if (r.Failed() || n < 0 || static_cast<size_t>(n) > r.Remaining()) return false;
  if (out) *out = r.Bytes(static_cast<size_t>(n));
  else r.Skip(static_cast<size_t>(n));
  return !r.Failed();
}

}  // namespace

int PMXLoader::Load(const std::string& path) {
  std::string bytes;
  if (!qv::poly::ReadWholeFile(path, bytes)) {
    Fail("the file cannot be opened");
    return -1;
  }
  return Parse(bytes, path);
}

int PMXLoader::Parse(std::string_view bytes, const std::string& path) {
  SetDirectoryFrom(path);
  ByteReader r(bytes);
  if (r.Bytes(4) != "PMX ") return Fail("not a model file (no \"PMX \" header)"), -2;
  r.Skip(4);  // version
  const uint8_t globalCount = r.Get<uint8_t>();
  if (r.Failed() || globalCount < 8) return Fail("the header declares fewer than 8 global bytes"), -2;
  const std::string g = r.Bytes(globalCount);
  if (r.Failed()) return Fail("the header is cut short"), -2;
  const int encoding = static_cast<uint8_t>(g[0]);
  const int extraUv = static_cast<uint8_t>(g[1]);
  const int vertexWidth = static_cast<uint8_t>(g[2]);
  const int textureWidth = static_cast<uint8_t>(g[3]);
  const int materialWidth = static_cast<uint8_t>(g[4]);
  const int boneWidth = static_cast<uint8_t>(g[5]);
  if (encoding > 1) return Fail("text encoding " + std::to_string(encoding) + " is neither UTF-16 (0) nor UTF-8 (1)"), -2;
  if (extraUv > 4) return Fail(std::to_string(extraUv) + " additional texture coordinates (at most 4)"), -2;
  const int widths[] = {vertexWidth, textureWidth, materialWidth, boneWidth,
                        static_cast<uint8_t>(g[6]), static_cast<uint8_t>(g[7])};
  for (int w : widths) {
    if (!ValidWidth(w)) return Fail("index width " + std::to_string(w) + " (only 1, 2 and 4 exist)"), -2;
  }
  for (int k = 0; k < 4; ++k) {
    if (!ReadText(r, nullptr)) return Fail("a model name runs past the end of the file"), -2;
  }

  const int32_t nv = r.Get<int32_t>();
  // The smallest vertex: base block, one bone index, edge scale.
  const size_t minVertex = 32 + 16 * static_cast<size_t>(extraUv) + 1 + boneWidth + 4;
  if (r.Failed() || nv < 0 || static_cast<size_t>(nv) > r.Remaining() / minVertex) {
    return Fail(std::to_string(nv) + " vertices are announced, the file holds fewer"), -2;
  }
  vertices_.resize(static_cast<size_t>(nv));
  for (int32_t i = 0; i < nv; ++i) {
    r.Read(&vertices_[static_cast<size_t>(i)], sizeof(PolyVertex));
    r.Skip(16 * static_cast<size_t>(extraUv));
    const uint8_t deform = r.Get<uint8_t>();
    switch (deform) {
      case 0: r.Skip(boneWidth); break;                    // one bone
      case 1: r.Skip(2 * boneWidth + 4); break;            // two bones, one weight
      case 2: case 4: r.Skip(4 * boneWidth + 16); break;   // four bones and weights
      case 3: r.Skip(2 * boneWidth + 4 + 36); break;       // spherical: two bones, C, R0, R1
      default:
        return Fail("vertex " + std::to_string(i) + " has deformation type " + std::to_string(deform)), -2;
    }
    r.Skip(4);  // edge scale
    if (r.Failed()) return Fail("vertex " + std::to_string(i) + " is cut short"), -2;
  }

  const int32_t ni = r.Get<int32_t>();
  if (r.Failed() || ni < 0 || static_cast<size_t>(ni) > r.Remaining() / vertexWidth) {
    return Fail(std::to_string(ni) + " face indices are announced, the file holds fewer"), -2;
  }
  indices_.resize(static_cast<size_t>(ni));
  for (int32_t i = 0; i < ni; ++i) {
    // Four-byte indices are signed in this layout; a negative one fails the range check.
    indices_[static_cast<size_t>(i)] = vertexWidth == 4 ? r.Get<uint32_t>() : r.Unsigned(vertexWidth);
  }

  const int32_t nt = r.Get<int32_t>();
  if (r.Failed() || nt < 0 || static_cast<size_t>(nt) > r.Remaining() / 4) {
    return Fail(std::to_string(nt) + " textures are announced, the file holds fewer"), -2;
  }
  std::vector<std::string> textures(static_cast<size_t>(nt));
  for (std::string& t : textures) {
    std::string raw;
    if (!ReadText(r, &raw)) return Fail("a texture name runs past the end of the file"), -2;
    t = encoding == 0 ? qv::poly::FromUtf16Le(raw) : raw;
  }

  const int32_t nm = r.Get<int32_t>();
  // The smallest material: two empty names, colours, flags, edge, two texture indices, sphere
  // mode, shared toon, empty memo, face count.
  const size_t minMaterial = 4 + 4 + 44 + 1 + 20 + 2 * textureWidth + 1 + 2 + 4 + 4;
  if (r.Failed() || nm < 0 || static_cast<size_t>(nm) > r.Remaining() / minMaterial) {
    return Fail(std::to_string(nm) + " materials are announced, the file holds fewer"), -2;
  }
  materials_.resize(static_cast<size_t>(nm));
  for (PolyMaterial& mat : materials_) {
    if (!ReadText(r, nullptr) || !ReadText(r, nullptr)) return Fail("a material name runs past the end of the file"), -2;
    r.Read(mat.diffuse.data(), 16);
    r.Skip(28 + 1 + 16 + 4);  // specular, ambient; flags; edge colour and size
    const int32_t texture = r.Signed(textureWidth);
    r.Signed(textureWidth);  // sphere texture
    r.Skip(1);               // sphere mode
    const uint8_t sharedToon = r.Get<uint8_t>();
    if (sharedToon == 0) r.Signed(textureWidth); else r.Skip(1);
    if (!ReadText(r, nullptr)) return Fail("a material memo runs past the end of the file"), -2;
    const int32_t count = r.Get<int32_t>();
    if (r.Failed()) return Fail("the materials are cut short"), -2;
    if (count < 0) return Fail("a material draws " + std::to_string(count) + " indices"), -2;
    mat.indexCount = static_cast<uint32_t>(count);
    if (texture >= 0 && texture < nt) {
      mat.texturePath = qv::poly::TexturePath(directory_, textures[static_cast<size_t>(texture)]);
    }
  }
  return Finish(vertexWidth <= 2 ? 65536 : 0) ? 0 : -2;
}
