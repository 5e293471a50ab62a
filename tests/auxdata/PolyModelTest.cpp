// Polygon models: the two binary character formats written byte by byte, the two text
// formats as small files, and the refusals of broken ones.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "auxdata/poly/MQOLoader.h"
#include "auxdata/poly/PMDLoader.h"
#include "auxdata/poly/PMXLoader.h"
#include "auxdata/poly/PolygonTypes.h"
#include "auxdata/poly/VRMLLoader.h"
#include "data/DataSetList.h"

namespace {

using qvtest::Bytes;

struct Vtx {
  float x, y, z;
};

// A PMD file: vertices, 16-bit indices, one material per (index count, texture name).
std::vector<unsigned char> Pmd(const std::vector<Vtx>& v, const std::vector<uint16_t>& idx,
                               const std::vector<std::pair<uint32_t, std::string>>& mats,
                               int32_t vertexCountDelta = 0) {
  Bytes b;
  b.data = {'P', 'm', 'd'};
  b.Put(1.0f).Zeros(20 + 256);
  b.Put(static_cast<uint32_t>(v.size() + vertexCountDelta));
  for (const Vtx& p : v) {
    b.Put(p.x).Put(p.y).Put(p.z).Put(0.f).Put(0.f).Put(1.f).Put(0.25f).Put(0.75f);
    b.Zeros(6);
  }
  b.Put(static_cast<uint32_t>(idx.size()));
  for (uint16_t i : idx) b.Put(i);
  b.Put(static_cast<uint32_t>(mats.size()));
  for (const auto& [count, tex] : mats) {
    b.Put(0.5f).Put(0.25f).Put(1.0f).Put(1.0f).Zeros(28 + 2);
    b.Put(count);
    std::string name = tex;
    name.resize(20, '\0');
    b.data.insert(b.data.end(), name.begin(), name.end());
  }
  b.Zeros(2);  // the bone count that follows and is not read
  return b.data;
}

const std::vector<Vtx> kQuad = {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {0, 2, 3}};
const std::vector<uint16_t> kTwoTriangles = {0, 1, 2, 0, 2, 3};

class PolyModelTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
};

TEST_F(PolyModelTest, PmdLoadsAndFramesRevealMaterialsOneByOne) {
  const std::string path = dir.File("m.pmd");
  qvtest::WriteFile(path, Pmd(kQuad, kTwoTriangles, {{3, "a.bmp"}, {3, ""}}));
  PMDLoader m;
  ASSERT_EQ(m.Load(path), 0) << m.Error();
  EXPECT_EQ(m.VertexCount(), 4u);
  int width = 0;
  size_t count = 0;
  const auto* idx = static_cast<const uint16_t*>(m.Indices(&width, &count));
  EXPECT_EQ(width, 2);
  ASSERT_EQ(count, 6u);
  EXPECT_EQ(idx[5], 3);
  size_t drawn = 0;
  const auto mats = m.Materials(&drawn);
  ASSERT_EQ(mats.size(), 2u);
  EXPECT_EQ(mats[1].firstIndex, 3u);
  EXPECT_EQ(mats[0].texturePath, dir.File("a.bmp"));
  EXPECT_FLOAT_EQ(mats[0].diffuse[1], 0.25f);
  // Frame 0 and frames from the material count on draw all; frame 1 draws the first alone.
  for (const auto& [frame, reached, draws] : {std::tuple{0, 0, 2}, {1, 1, 1}, {2, 2, 2}, {9, 2, 2}, {-3, 0, 2}}) {
    EXPECT_EQ(m.SetFrame(frame), reached);
    m.Materials(&drawn);
    EXPECT_EQ(drawn, static_cast<size_t>(draws)) << frame;
  }
  double box[9], origin[3];
  m.Bounds(box, origin);
  EXPECT_DOUBLE_EQ(box[0], 2);
  EXPECT_DOUBLE_EQ(box[4], 4);
  EXPECT_DOUBLE_EQ(box[8], 6);
  EXPECT_DOUBLE_EQ(origin[2], -3);
}

TEST(PolyModelNames, PmdTextureNamesSplitAtTheStar) {
  struct Case {
    const char* name;
    const char* texture;
    const char* sphere;
  };
  for (const Case& c : {Case{"tex.bmp*sphere.sph", "tex.bmp", "sphere.sph"}, Case{"env.spa", "", "env.spa"},
                        Case{"env.sph", "", "env.sph"}, Case{"skin.png", "skin.png", ""}}) {
    std::string t, s;
    PMDLoader::SplitTextureName(c.name, t, s);
    EXPECT_EQ(t, c.texture) << c.name;
    EXPECT_EQ(s, c.sphere) << c.name;
  }
}

TEST_F(PolyModelTest, PmdTextureNamesAreDecodedAndFoundOnThisSystem) {
  // "\" is a folder separator, a Shift-JIS name (0x95 0x5C: its second byte is a backslash)
  // decodes whole, and letter case is ignored as on the system the models come from.
  std::filesystem::create_directories(dir.path() / "tex");
  qvtest::WriteText(dir.File("tex/Skin.PNG"), "x");
  qvtest::WriteText(dir.File("\xE8\xA1\xA8.bmp"), "x");  // U+8868 in UTF-8
  const std::string path = dir.File("m.pmd");
  qvtest::WriteFile(path, Pmd(kQuad, kTwoTriangles, {{3, "tex\\skin.png*a.spa"}, {3, "\x95\x5C.bmp"}}));
  PMDLoader m;
  ASSERT_EQ(m.Load(path), 0) << m.Error();
  EXPECT_EQ(m.AllMaterials()[0].texturePath, dir.File("tex/Skin.PNG"));
  EXPECT_EQ(m.SphereMaps()[0], dir.File("a.spa"));
  EXPECT_EQ(m.AllMaterials()[1].texturePath, dir.File("\xE8\xA1\xA8.bmp"));
}

TEST_F(PolyModelTest, BrokenPmdFilesAreRefusedWithAMessage) {
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
  };
  std::vector<unsigned char> cut = Pmd(kQuad, kTwoTriangles, {{6, ""}});
  cut.resize(cut.size() - 40);
  const Case cases[] = {
      {"index outside", Pmd(kQuad, {0, 1, 4}, {{3, ""}})},
      {"vertex count beyond the file", Pmd(kQuad, kTwoTriangles, {{6, ""}}, 1000000)},
      {"material overruns the indices", Pmd(kQuad, kTwoTriangles, {{3, ""}, {6, ""}})},
      {"materials cut short", cut},
      {"not a model", {'P', 'm', 'x'}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("bad.pmd");
    qvtest::WriteFile(path, c.bytes);
    PMDLoader m;
    EXPECT_EQ(m.Load(path), -2) << c.what;
    EXPECT_FALSE(m.Error().empty()) << c.what;
    EXPECT_EQ(m.VertexCount(), 0u) << c.what;
  }
  PMDLoader missing;
  EXPECT_EQ(missing.Load(dir.File("none.pmd")), -1);
}

// A PMX file with the given widths and encoding; vertex deformation types cycle through 0-3.
std::vector<unsigned char> Pmx(int vertexWidth, int encoding, const std::vector<uint32_t>& idx,
                               const std::string& textureName, int32_t materialCount = 2) {
  Bytes b;
  b.data = {'P', 'M', 'X', ' '};
  b.Put(2.0f).Put(uint8_t{8});
  for (int g : {encoding, 1, vertexWidth, 1, 1, 2, 1, 1}) b.Put(static_cast<uint8_t>(g));
  auto text = [&](const std::string& utf8) {
    std::string enc = utf8;
    if (encoding == 0) {
      enc.clear();
      for (char c : utf8) enc += std::string{c, '\0'};  // the names used here are ASCII
    }
    b.Put(static_cast<int32_t>(enc.size()));
    b.data.insert(b.data.end(), enc.begin(), enc.end());
  };
  for (int k = 0; k < 4; ++k) text("model");
  b.Put(int32_t{4});
  for (int i = 0; i < 4; ++i) {
    const Vtx& p = kQuad[static_cast<size_t>(i)];
    b.Put(p.x).Put(p.y).Put(p.z).Put(0.f).Put(0.f).Put(1.f).Put(0.f).Put(1.f);
    b.Zeros(16);  // one additional coordinate
    b.Put(static_cast<uint8_t>(i));
    const size_t deform[] = {2, 2 * 2 + 4, 4 * 2 + 16, 2 * 2 + 4 + 36};
    b.Zeros(deform[i]).Put(1.0f);
  }
  b.Put(static_cast<int32_t>(idx.size()));
  for (uint32_t i : idx) {
    if (vertexWidth == 1) b.Put(static_cast<uint8_t>(i));
    else if (vertexWidth == 2) b.Put(static_cast<uint16_t>(i));
    else b.Put(i);
  }
  b.Put(int32_t{1});
  text(textureName);
  b.Put(materialCount);
  for (int m = 0; m < 2; ++m) {
    text("mat");
    text("");
    b.Put(1.f).Put(0.f).Put(0.f).Put(1.f).Zeros(28 + 1 + 16 + 4);
    b.Put(static_cast<int8_t>(m == 0 ? 0 : -1)).Put(int8_t{-1}).Put(uint8_t{0});
    b.Put(uint8_t{1}).Put(uint8_t{0});  // shared toon
    text("memo");
    b.Put(int32_t{3});
  }
  return b.data;
}

class PmxWidths : public PolyModelTest, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(PmxWidths, LoadWithTheDeclaredIndexWidthAndEitherEncoding) {
  const auto [width, encoding] = GetParam();
  const std::string path = dir.File("m.pmx");
  qvtest::WriteFile(path, Pmx(width, encoding, {0, 1, 2, 0, 2, 3}, "sub\\t.png"));
  PMXLoader m;
  ASSERT_EQ(m.Load(path), 0) << m.Error();
  EXPECT_EQ(m.VertexCount(), 4u);
  EXPECT_EQ(m.IndexList(), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  int w = 0;
  m.Indices(&w, nullptr);
  EXPECT_EQ(w, width == 4 ? 4 : 2);
  ASSERT_EQ(m.MaterialCount(), 2u);
  EXPECT_EQ(m.AllMaterials()[0].texturePath, dir.File("sub/t.png"));
  EXPECT_EQ(m.AllMaterials()[1].texturePath, "");
  EXPECT_FLOAT_EQ(m.VertexList()[2].position[1], 2.f);
}

INSTANTIATE_TEST_SUITE_P(Widths, PmxWidths,
                         ::testing::Combine(::testing::Values(1, 2, 4), ::testing::Values(0, 1)));

TEST_F(PolyModelTest, BrokenPmxFilesAreRefusedWithAMessage) {
  const std::pair<const char*, std::vector<unsigned char>> cases[] = {
      {"index width 3", Pmx(3, 1, {0, 1, 2}, "t")},
      {"index outside", Pmx(2, 1, {0, 1, 7, 0, 2, 3}, "t")},
      {"material overruns the indices", Pmx(2, 1, {0, 1, 2}, "t")},
      {"material count beyond the file", Pmx(2, 1, {0, 1, 2, 0, 2, 3}, "t", 1000000)},
  };
  for (const auto& [what, bytes] : cases) {
    const std::string path = dir.File("bad.pmx");
    qvtest::WriteFile(path, bytes);
    PMXLoader m;
    EXPECT_EQ(m.Load(path), -2) << what;
    EXPECT_FALSE(m.Error().empty()) << what;
  }
}

const char* kMqo = R"(Metasequoia Document
Format Text Ver 1.0
Scene {
	pos 0 0 1500
	dirlights 1 {
		light {
			dir 0 1 0
		}
	}
}
Material 2 {
	"red" shader(3) col(1.000 0.000 0.000 1.000) dif(0.8) tex("my tex.bmp")
	"old" col(0.0 0.5 0.0 1.0)
}
Object "obj" {
	visible 15
	vertex 5 {
		1 2 3
		0 0 0
		0 1 0
		1 1 0
		1 0 0
	}
	face 3 {
		3 V(1 2 3) M(0) UV(0 0 0 1 1 1)
		3 V(1 3 4) M(1) UV(0.5 0 1 1 1 0)
		4 V(1 2 3 4) M(0) UV(0 0 0 1 1 1 1 0)
	}
}
Eof
)";

TEST_F(PolyModelTest, MqoMapsAxesIgnoresQuadsAndCopiesAVertexWithOtherTextureCoordinates) {
  MQOLoader m;
  ASSERT_EQ(m.Parse(kMqo, dir.File("m.mqo")), 0) << m.Error();
  // Five file vertices, vertex 1 shared with another texture coordinate: one copy.
  ASSERT_EQ(m.VertexCount(), 6u);
  EXPECT_EQ(m.IndexCount(), 6u);
  const PolyVertex& v0 = m.VertexList()[0];  // file (1, 2, 3) -> (-3, -1, 2)
  EXPECT_FLOAT_EQ(v0.position[0], -3);
  EXPECT_FLOAT_EQ(v0.position[1], -1);
  EXPECT_FLOAT_EQ(v0.position[2], 2);
  // Both triangles lie in the file's z = 0 plane, stored as x = 0: normals along the x axis.
  for (uint32_t i : m.IndexList()) EXPECT_FLOAT_EQ(std::fabs(m.VertexList()[i].normal[0]), 1.f);
  EXPECT_EQ(m.IndexList()[3], 5u);
  EXPECT_FLOAT_EQ(m.VertexList()[5].uv[0], 0.5f);
  ASSERT_EQ(m.MaterialCount(), 2u);
  EXPECT_EQ(m.AllMaterials()[0].texturePath, dir.File("my tex.bmp"));
  EXPECT_FLOAT_EQ(m.AllMaterials()[1].diffuse[1], 0.5f);
}

TEST_F(PolyModelTest, MqoFaultsAndShortBlocks) {
  MQOLoader noBrace;
  ASSERT_EQ(noBrace.Parse("Material 1\n\"a\" col(1 1 1 1)\n", "m.mqo"), 0);
  EXPECT_EQ(noBrace.MaterialCount(), 0u);
  // A count larger than the lines keeps the lines read.
  MQOLoader shortBlock;
  ASSERT_EQ(shortBlock.Parse("Object \"o\" {\nvertex 100 {\n0 0 0\n1 0 0\n0 1 0\n}\nface 9 {\n3 V(0 1 2)\n}\n}\n", "m.mqo"), 0);
  EXPECT_EQ(shortBlock.VertexCount(), 3u);
  EXPECT_EQ(shortBlock.MaterialCount(), 1u);  // faces without a material of the list
  MQOLoader outside;
  EXPECT_EQ(outside.Parse("Object \"o\" {\nvertex 1 {\n0 0 0\n}\nface 1 {\n3 V(0 1 2) M(0)\n}\n}\n", "m.mqo"), -2);
  EXPECT_NE(outside.Error().find("outside"), std::string::npos) << outside.Error();
}

TEST_F(PolyModelTest, VrmlTransformsAboutTheirCentreAndTriangulatesFans) {
  const std::string wrl = R"(#VRML V2.0 utf8
DEF T Transform {
  children [
    Transform { translation 0 0 5 children [] }
    Shape {
      appearance Appearance { material DEF M Material { diffuseColor 0 0 1 } }
      geometry IndexedFaceSet {
        coord DEF C Coordinate { point [ 2 0 0, 3 0 0, 3 1 0, 2 1 0 ] }
        coordIndex [ 0 1 2 3 -1 ]
      }
    }
  ]
  translation 1 0 0 rotation 0 0 1 1.5707963267948966 center 1 0 0
}
Shape { geometry IndexedFaceSet { coord USE C coordIndex [ 0, 1, 2 ] } }
ROUTE A.b TO C.d
)";
  VRMLLoader m;
  ASSERT_EQ(m.Parse(wrl, "s.wrl"), 0) << m.Error();
  ASSERT_EQ(m.MaterialCount(), 2u);
  EXPECT_EQ(m.AllMaterials()[0].indexCount, 6u);  // the quad as a fan of two triangles
  EXPECT_FLOAT_EQ(m.AllMaterials()[0].diffuse[2], 1.f);
  // (2, 0, 0): about the centre (1, 0, 0) by 90 degrees gives (1, 1, 0), moved by (1, 0, 0).
  const PolyVertex& p = m.VertexList()[0];
  EXPECT_NEAR(p.position[0], 2, 1e-6);
  EXPECT_NEAR(p.position[1], 1, 1e-6);
  EXPECT_NEAR(std::fabs(p.normal[2]), 1, 1e-6);
  const PolyVertex& q = m.VertexList()[4];  // the second shape is outside the transform
  EXPECT_NEAR(q.position[0], 2, 1e-6);
  EXPECT_NEAR(q.position[1], 0, 1e-6);
}

TEST_F(PolyModelTest, VrmlDeepNestingLongTokensAndFaults) {
  std::string deep = "#VRML V2.0 utf8\n";
  const int depth = 50000;
  for (int i = 0; i < depth; ++i) deep += "Group { children [\n";
  deep += "Shape { geometry IndexedFaceSet { coord Coordinate { point [ 1." + std::string(100000, '0') +
          "1 0 0 0 1 0 0 0 1 ] } coordIndex [ 0 1 2 ] } }\n";
  for (int i = 0; i < depth; ++i) deep += "] }\n";
  VRMLLoader m;
  ASSERT_EQ(m.Parse(deep, "d.wrl"), 0) << m.Error();
  ASSERT_EQ(m.VertexCount(), 3u);
  EXPECT_FLOAT_EQ(m.VertexList()[0].position[0], 1.f);  // the long number read whole

  for (const char* bad : {"#VRML V2.0 utf8\nShape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0 ] } coordIndex [ 0 1 2 ] } }",
                          "#VRML V2.0 utf8\nGroup { children [ Shape {",
                          "#VRML V2.0 utf8\nShape { appearance USE Nothing }",
                          "#VRML V1.0 ascii\n"}) {
    VRMLLoader b;
    EXPECT_EQ(b.Parse(bad, "b.wrl"), -2) << bad;
    EXPECT_FALSE(b.Error().empty()) << bad;
  }
}

TEST_F(PolyModelTest, TheDispatchSwapsAxesOfCharacterModelsAndScenesButNotMqo) {
  qv::RegisterPolygonTypes(DataTypeRegistry::Instance());
  qvtest::WriteFile(dir.File("m.pmd"), Pmd(kQuad, kTwoTriangles, {{6, ""}}));
  qvtest::WriteText(dir.File("m.mqo"), kMqo);
  qvtest::WriteText(dir.File("bad.wrl"), "#VRML V2.0 utf8\nShape {");
  DataSetList list;
  list.OpenDataFile(dir.File("m.pmd"), LoadOptions{});
  list.OpenDataFile(dir.File("bad.wrl"), LoadOptions{});  // refused: no entry
  list.OpenDataFile(dir.File("m.mqo"), LoadOptions{});
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(list[0].type, kTypePolygon);
  auto* pmd = dynamic_cast<PMDLoader*>(list[0].container.get());
  ASSERT_NE(pmd, nullptr);
  EXPECT_FLOAT_EQ(pmd->VertexList()[3].position[1], 3.f);  // (0, 2, 3) -> (0, 3, 2)
  EXPECT_FLOAT_EQ(pmd->VertexList()[3].normal[1], 1.f);
  EXPECT_EQ(list[0].SetFrame(5), 1);
  auto* mqo = dynamic_cast<MQOLoader*>(list[1].container.get());
  ASSERT_NE(mqo, nullptr);
  EXPECT_FLOAT_EQ(mqo->VertexList()[0].position[1], -1.f);
  double box[9], origin[3];
  ASSERT_TRUE(list[0].GetBox(box, origin));
  EXPECT_DOUBLE_EQ(box[4], 6);
}

}  // namespace
