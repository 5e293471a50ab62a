#include "auxdata/poly/PMDLoader.h"

#include <cstdio>

#include "auxdata/poly/ByteReader.h"

namespace qv::poly {

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace qv::poly

using qv::poly::ByteReader;

namespace {

std::string CString(const std::string& fixed) {
  const size_t nul = fixed.find('\0');
  return nul == std::string::npos ? fixed : fixed.substr(0, nul);
}

bool EndsWith(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

}  // namespace

void PMDLoader::SplitTextureName(const std::string& name, std::string& texture, std::string& sphere) {
  const size_t star = name.find('*');
  if (star != std::string::npos) {
    texture = name.substr(0, star);
    sphere = name.substr(star + 1);
  } else if (EndsWith(name, ".sph") || EndsWith(name, ".spa")) {
    texture.clear();
    sphere = name;
  } else {
    texture = name;
    sphere.clear();
  }
}

int PMDLoader::Load(const std::string& path) {
  std::string bytes;
  if (!qv::poly::ReadWholeFile(path, bytes)) {
    Fail("the file cannot be opened");
    return -1;
  }
  return Parse(bytes, path);
}

int PMDLoader::Parse(std::string_view bytes, const std::string& path) {
  SetDirectoryFrom(path);
  sphereMaps_.clear();
  ByteReader r(bytes);
  if (r.Bytes(3) != "Pmd") return Fail("not a model file (no \"Pmd\" header)"), -2;
  r.Skip(4 + 20 + 256);  // version, name, comment
  const uint32_t nv = r.Get<uint32_t>();
  if (r.Failed()) return Fail("the header is cut short"), -2;
  constexpr size_t kVertexBytes = 38;
  if (nv > r.Remaining() / kVertexBytes) {
    return Fail(std::to_string(nv) + " vertices are announced, the file holds fewer"), -2;
  }
  vertices_.resize(nv);
  for (uint32_t i = 0; i < nv; ++i) {
    r.Read(&vertices_[i], sizeof(PolyVertex));
    r.Skip(6);  // bone numbers, bone weight, edge flag
  }
  const uint32_t ni = r.Get<uint32_t>();
  const int width = nv > 65536 ? 4 : 2;
  if (r.Failed() || ni > r.Remaining() / width) {
    return Fail(std::to_string(ni) + " face indices are announced, the file holds fewer"), -2;
  }
  indices_.resize(ni);
  for (uint32_t i = 0; i < ni; ++i) indices_[i] = r.Unsigned(width);
  const uint32_t nm = r.Get<uint32_t>();
  constexpr size_t kMaterialBytes = 70;
  if (r.Failed() || nm > r.Remaining() / kMaterialBytes) {
    return Fail(std::to_string(nm) + " materials are announced, the file holds fewer"), -2;
  }
  materials_.resize(nm);
  sphereMaps_.resize(nm);
  for (uint32_t m = 0; m < nm; ++m) {
    PolyMaterial& mat = materials_[m];
    r.Read(mat.diffuse.data(), 16);
    r.Skip(28 + 2);  // specular power and colour, ambient; toon index, edge flag
    mat.indexCount = r.Get<uint32_t>();
    std::string texture, sphere;
    SplitTextureName(qv::poly::FromShiftJis(CString(r.Bytes(20))), texture, sphere);
    mat.texturePath = qv::poly::TexturePath(directory_, texture);
    sphereMaps_[m] = qv::poly::TexturePath(directory_, sphere);
  }
  if (r.Failed()) return Fail("the materials are cut short"), -2;
  return Finish(65536) ? 0 : -2;
}
