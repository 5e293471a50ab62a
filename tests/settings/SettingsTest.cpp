#include "shell/settings/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>

#include "TestSupport.h"

namespace {

using qv::Rgba;
using Color4 = std::array<float, 4>;

Settings Read(const std::string& text) {
  Settings s;
  ReadSettingsText(text, s);
  return s;
}

TEST(SettingsReal, TextBeginningWithCapitalSKeepsTheValueOtherTextWithoutNumberGivesZero) {
  EXPECT_DOUBLE_EQ(Read("[VISUAL]\nAtomRadius=Small\n").visual.atomRadius, 0.3);
  EXPECT_DOUBLE_EQ(Read("[VISUAL]\nAtomRadius=abc\n").visual.atomRadius, 0.0);
  EXPECT_DOUBLE_EQ(Read("[VISUAL]\nAtomRadius=small\n").visual.atomRadius, 0.0);
  EXPECT_DOUBLE_EQ(Read("[VISUAL]\nAtomRadius=  1.5e-1xyz\n").visual.atomRadius, 0.15);
  EXPECT_DOUBLE_EQ(Read("[VISUAL]\nAtomRadius=+2\n").visual.atomRadius, 2.0);

  Settings s = Read("[VISUAL]\nAtomRadius=0.5\n");
  ReadSettingsText("[VISUAL]\nAtomRadius=Small\n", s);
  EXPECT_DOUBLE_EQ(s.visual.atomRadius, 0.5);  // "S" keeps the value of the previous read
}

TEST(SettingsReal, NumbersBeyondADoubleKeepTheOldValue) {
  for (const char* text : {"1e999", "-1e999", "inf", "nan"}) {
    EXPECT_DOUBLE_EQ(Read(std::string("[VISUAL]\nBondCutoff=") + text).bondCutoff, 2.0) << text;
  }
  EXPECT_EQ(Read("[VISUAL]\nAtomTrajectory=1e300\n").atomTrajectory, INT_MAX);
  EXPECT_EQ(Read("[VISUAL]\nAtomTrajectory=-7.9\n").atomTrajectory, -7);
}

TEST(SettingsInt, ReadsLikeAProfileIntegerAndClampsHugeValues) {
  EXPECT_EQ(Read("[WINDOW]\nWidth= -12abc\n").width, -12);
  EXPECT_EQ(Read("[WINDOW]\nWidth=+800px\n").width, 800);
  EXPECT_EQ(Read("[WINDOW]\nWidth=abc\n").width, 0);
  EXPECT_EQ(Read("[WINDOW]\nWidth=\n").width, 640);  // empty value: the default
  EXPECT_EQ(Read("[WINDOW]\nWidth=99999999999999999999\n").width, INT_MAX);
  EXPECT_EQ(Read("[WINDOW]\nWidth=-99999999999999999999\n").width, INT_MIN);
  EXPECT_EQ(Read("[window]\nwidth=700\n").width, 700);  // names are not case-sensitive
  EXPECT_EQ(Read("[WINDOW]\nWidth=700\nWidth=900\n").width, 700);  // the first one counts
}

TEST(SettingsList, ColoursSplitAtRunsOfSpaceCommaAndTabUnsetSlotsZero) {
  EXPECT_EQ(Read("[VISUAL]\nBGColor=1,1,1\n").visual.bgColor, (Color4{1, 1, 1, 0}));
  EXPECT_EQ(Read("[VISUAL]\nBGColor=1 1 1 1\n").visual.bgColor, (Color4{1, 1, 1, 1}));
  EXPECT_EQ(Read("[VISUAL]\nBGColor=, ,0.5\t ,,0.25\n").visual.bgColor, (Color4{0.5f, 0.25f, 0, 0}));
  EXPECT_EQ(Read("[VISUAL]\nBGColor=1 2 3 4 5 6\n").visual.bgColor, (Color4{1, 2, 3, 4}));
  EXPECT_EQ(Read("[VISUAL]\nBGColor=x,1e40,1\n").visual.bgColor, (Color4{0, 0, 1, 0}));
  EXPECT_EQ(Read("").trajectoryColor, (Color4{1, 1, 1, 0}));

  Settings s = Read("[VISUAL]\nBGColor=1 1 1 1\n");
  ReadSettingsText("[VISUAL]\nBGColor=1,1,1\n", s);
  EXPECT_EQ(s.visual.bgColor, (Color4{1, 1, 1, 0}));  // the alpha of the last read is gone
}

TEST(SettingsList, DefaultBoxTakesNinePiecesKeepingTheDefaultForMissingOnes) {
  const std::array<float, 9> dflt = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  EXPECT_EQ(Read("").defaultBox, dflt);
  EXPECT_EQ(Read("[BASIC]\nDefaultBox=20,0,0,0,20\n").defaultBox,
            (std::array<float, 9>{20, 0, 0, 0, 20, 0, 0, 0, 10}));

  Settings s;
  ASSERT_TRUE(ApplySettingOverride("BASIC:DefaultBox=1 2 3\r\n4,5,6\n7\t8 9 10", s));
  EXPECT_EQ(s.defaultBox, (std::array<float, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(SettingsSpecialKeys, VramInBytesViewAngleInRadiansPeriodicAndTexts) {
  Settings s = Read(
      "[GPUDriver]\nVRAM=4096\nColorFormat=R16G16B16A16_FLOAT\n[BASIC]\nViewAngle=90\n"
      "[WINDOW]\nLanguage=en\n[OUTPUT]\nDefaultPath=\"/tmp/out dir/\"\n");
  EXPECT_EQ(s.vramBytes, int64_t{4096} * 1048576);  // beyond 32 bits
  EXPECT_DOUBLE_EQ(s.viewAngleDegrees, 90.0);
  EXPECT_DOUBLE_EQ(s.viewAngleRadians, M_PI / 2);
  EXPECT_EQ(s.colorFormat, "R16G16B16A16_FLOAT");
  EXPECT_EQ(s.language, "en");
  EXPECT_EQ(s.defaultPath, "/tmp/out dir/");

  const Settings d = Read("");
  EXPECT_EQ(d.vramBytes, int64_t{512} * 1048576);
  EXPECT_NEAR(d.viewAngleRadians, 27.5589 * M_PI / 180, 1e-12);
  EXPECT_EQ(d.language, "ja");
  EXPECT_EQ(d.periodic, 3);
}

TEST(SettingsReload, MissingKeysKeepTheirValuesExceptPeriodicAndTexts) {
  qvtest::TempDir dir;
  const std::string path = dir.File("setting.ini");
  qvtest::WriteText(path,
                    "[WINDOW]\r\nWidth=1024\r\nLanguage=en\r\n[BASIC]\r\nPeriodic=0\r\n"
                    "[VISUAL]\r\nBGColor=1,0,0\r\n");
  Settings s;
  ReadSettings(path, s);
  EXPECT_EQ(s.width, 1024);
  EXPECT_EQ(s.periodic, 0);

  qvtest::WriteText(path, "[WINDOW]\nHeight=600\n");
  ReadSettings(path, s);
  EXPECT_EQ(s.width, 1024);
  EXPECT_EQ(s.height, 600);
  EXPECT_EQ(s.periodic, 3);
  EXPECT_EQ(s.language, "ja");
  EXPECT_EQ(s.visual.bgColor, (Color4{0, 0, 0, 0}));

  ReadSettings(dir.File("absent.ini"), s);  // no file: nothing changes but the same rules
  EXPECT_EQ(s.height, 600);
}

TEST(SettingsLarge, MissingLargeValuesFollowTheVisualValuesJustRead) {
  const Settings s = Read(
      "[VISUAL]\nBox=0\nAtom=2\nAtomPoly=6\nAtomColor=1\nAtomRadius=0.7\nBond=0\nBondPoly=5\n"
      "BGColor=1 1 1 1\n");
  EXPECT_EQ(s.large.box, 0);
  EXPECT_EQ(s.large.atom, 2);
  EXPECT_EQ(s.large.atomPoly, 6);
  EXPECT_EQ(s.large.atomColor, 1);
  EXPECT_DOUBLE_EQ(s.large.atomRadius, 0.7);
  EXPECT_EQ(s.large.bond, 0);
  EXPECT_EQ(s.large.bondPoly, 5);
  EXPECT_EQ(s.large.bgColor, (Color4{1, 1, 1, 1}));
  EXPECT_EQ(s.largeThreshold, INT_MAX);

  Settings t = Read("[VISUAL]\nAtom=2\n[LARGE]\nAtom=0\nBGColor=0.5\n");
  EXPECT_EQ(t.large.atom, 0);
  EXPECT_EQ(t.large.bgColor, (Color4{0.5f, 0, 0, 0}));
  ReadSettingsText("[VISUAL]\nAtom=2\n", t);  // LARGE gone: back to the VISUAL value
  EXPECT_EQ(t.large.atom, 2);
}

TEST(SettingsAtomSection, ColorAndColorNBondLines) {
  const Settings s = Read(
      "[ATOM]\nColor=Fe,1.0,0.5,0.0,1.0\nColorNBond=3,0,0,1,1\nColor=O,0.0,0.0,1.0,1.0\n");
  EXPECT_EQ(s.colors.element[26], (Rgba{255, 127, 0, 255}));
  EXPECT_EQ(s.colors.bondCount[3], (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(s.colors.element[8], (Rgba{0, 0, 255, 255}));
  const qv::ColorTables defaults;
  for (int z = 0; z < qv::kElementColorCount; ++z) {
    if (z != 26 && z != 8) {
      EXPECT_EQ(s.colors.element[z], defaults.element[z]) << z;
    }
  }
}

TEST(SettingsAtomSection, NumbersAreParsedOneCharacterAfterThePreviousOne) {
  auto fe = [](const std::string& line) { return Read("[ATOM]\n" + line + "\n").colors.element[26]; };
  EXPECT_EQ(fe("Color=Fe, 1.0; 0.5|0.0 1.0"), (Rgba{255, 127, 0, 255}));  // any one separator
  EXPECT_EQ(fe("Color=Fe,1.0,,0.5,1"), (Rgba{255, 0, 127, 255}));         // empty field reads 0
  EXPECT_EQ(fe("Color=Fe,1"), (Rgba{255, 0, 0, 0}));                       // missing numbers 0
  EXPECT_EQ(fe("Color=Fe,2.0,-0.004,0,1"), (Rgba{254, 255, 0, 255}));      // low 8 bits
  EXPECT_EQ(fe("Color=Fe,1,0,0,1\nColor=Fe,0,1,0,1"), (Rgba{0, 255, 0, 255}));  // later wins
}

TEST(SettingsAtomSection, MalformedLinesChangeNothing) {
  const qv::ColorTables defaults;
  for (const char* line : {"Color=FE,1,0,0,1", "Color=fe,1,0,0,1", "Color=Uue,1,0,0,1",
                           "Color = Fe,1,0,0,1", "color=Fe,1,0,0,1", "Color=Fe", "Color=Fe,1e10,0,0,1",
                           "Color=Fe,1e999,0,0,1", "ColorNBond=15,1,1,1,1", "ColorNBond=-1,1,1,1,1",
                           "ColorNBond=x,1,1,1,1", "ColorNBond=x3,1,1,1,1", "[ATOM"}) {
    const Settings s = Read(std::string("[ATOM]\n") + line + "\n");
    EXPECT_EQ(s.colors.element, defaults.element) << line;
    EXPECT_EQ(s.colors.bondCount, defaults.bondCount) << line;
  }
  Settings kept = Read("[ATOM]\nColor=Fe,0,0,1,1\n");
  ReadSettingsText("", kept);  // a reload without the line keeps the colour
  EXPECT_EQ(kept.colors.element[26], (Rgba{0, 0, 255, 255}));
}

TEST(SettingsOverride, AppliesExactlyAsIfTheFileSaidIt) {
  Settings s = Read("[VISUAL]\nAtomRadius=0.4\n");
  ASSERT_TRUE(ApplySettingOverride("visual:atomradius = 0.7", s));
  EXPECT_DOUBLE_EQ(s.visual.atomRadius, 0.7);
  EXPECT_DOUBLE_EQ(s.large.atomRadius, 0.7);  // LARGE follows when the file has no value
  ASSERT_TRUE(ApplySettingOverride("VISUAL:AtomRadius=Small", s));
  EXPECT_DOUBLE_EQ(s.visual.atomRadius, 0.7);

  Settings t = Read("[LARGE]\nAtomRadius=0.1\n");
  ASSERT_TRUE(ApplySettingOverride("VISUAL:AtomRadius=0.9", t));
  EXPECT_DOUBLE_EQ(t.large.atomRadius, 0.1);

  ASSERT_TRUE(ApplySettingOverride("ATOM:ColorNBond=3,0,0,1,1", t));
  EXPECT_EQ(t.colors.bondCount[3], (Rgba{0, 0, 255, 255}));
  ASSERT_TRUE(ApplySettingOverride("VISUAL:BondCutoff=3.5", t));
  EXPECT_DOUBLE_EQ(t.bondCutoff, 3.5);
  ReadSettingsText("", t);  // a new read without the key keeps the overridden value
  EXPECT_DOUBLE_EQ(t.bondCutoff, 3.5);

  EXPECT_FALSE(ApplySettingOverride("VISUAL.AtomRadius=1", t));
  EXPECT_FALSE(ApplySettingOverride("VISUAL:AtomRadius", t));
  EXPECT_FALSE(ApplySettingOverride(":AtomRadius=1", t));
}

TEST(SettingsRobustness, GarbageBinaryJunkAndMissingSectionsNeverStopReading) {
  std::string junk = "\xEF\xBB\xBF; comment\nno section=1\n[WINDOW\nWidth=800\n";
  junk += std::string("\0\xff\xfe[[]]==\n", 11);
  junk += "=5\n[VISUAL]\nAtomRadius\n" + std::string(100000, 'x') + "\n# also a comment\n";
  junk += "Bond=0\rBondPoly=7\n[]\nTrailing=\"";
  const Settings s = Read(junk);
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.visual.bond, 0);
  EXPECT_EQ(s.visual.bondPoly, 7);  // a lone CR ends a line too
  EXPECT_DOUBLE_EQ(s.visual.atomRadius, 0.3);
}

TEST(SettingsFile, LocationPrefersTheCurrentDirectoryThenTheProgramFolder) {
  namespace fs = std::filesystem;
  qvtest::TempDir dir;
  const fs::path old = fs::current_path();
  fs::current_path(dir.path());
  const std::string beside = fs::read_symlink("/proc/self/exe").parent_path() / "setting.ini";
  const std::string here = (dir.path() / "setting.ini").string();
  EXPECT_EQ(SettingsFileLocation(), beside);
  qvtest::WriteText(here, "[WINDOW]\nWidth=1\n");
  EXPECT_EQ(SettingsFileLocation(), here);
  fs::current_path(old);
}

}  // namespace
