#include <gtest/gtest.h>

#include "app/Title.h"
#include "data/AtomsData.h"

using namespace qv::cmd;

namespace {
ATOMS_DATA Frame(int n) {
  ATOMS_DATA f;
  f.Allocate(n);
  for (int i = 0; i < n; ++i) {
    f.atomicNumbers[i] = 1;
    f.positions[3 * i] = static_cast<float>(i);
    f.positions[3 * i + 1] = 0;
    f.positions[3 * i + 2] = 0;
  }
  return f;
}
}  // namespace

TEST(Title, ViewingShowsFrameRateAndPacingMode) {
  TitleInputs in;
  in.fileName = "water.md3";
  in.fps = 60.0;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - water.md3: 0, 60.000fps(eco)");
  in.currentFrame = 12;
  in.fps = 0.0;
  in.pacingMode = 3;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - water.md3: 12, 0.000fps(manual)");
  in.pacingMode = 0;
  in.fps = 1234.5678;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - water.md3: 12, 1234.568fps(full)");
  in.pacingMode = 1;
  EXPECT_NE(FormatTitle(in).find("(vsync)"), std::string::npos);
}

TEST(Title, EditModeShowsTheSelectedAtom) {
  ATOMS_DATA f = Frame(6);
  f.atomicNumbers[5] = 8;
  f.positions[15] = 1;
  f.positions[16] = 2;
  f.positions[17] = 3;
  TitleInputs in;
  in.fileName = "water.md3";
  in.editMode = true;
  in.frame = &f;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - water.md3: [edit] no-selected");
  in.selectedAtom = 5;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - water.md3: [edit] 5-O:1.000000,2.000000,3.000000");
}

TEST(Title, StaleSelectionsAndUnknownElementsStayInsideTheArrays) {
  ATOMS_DATA f = Frame(3);
  TitleInputs in;
  in.fileName = "a.md3";
  in.editMode = true;
  in.frame = &f;
  in.selectedAtom = 3;  // the reloaded file has fewer atoms
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] no-selected");
  in.frame = nullptr;
  in.selectedAtom = 0;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] no-selected");
  in.frame = &f;
  f.atomicNumbers[0] = -1;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] 0-?:0.000000,0.000000,0.000000");
  f.atomicNumbers[0] = 104;  // past "Lr"
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] 0-?:0.000000,0.000000,0.000000");
  f.atomicNumbers[0] = 103;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] 0-Lr:0.000000,0.000000,0.000000");
  ATOMS_DATA noNumbers;
  noNumbers.Allocate(2, false);
  noNumbers.positions[0] = noNumbers.positions[1] = noNumbers.positions[2] = 0;
  in.frame = &noNumbers;
  EXPECT_EQ(FormatTitle(in), "Quivane 3.7.3 - a.md3: [edit] 0-?:0.000000,0.000000,0.000000");
}
