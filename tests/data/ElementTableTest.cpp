#include "data/ElementTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ElementTable, SymbolsBothWays) {
  EXPECT_STREQ(qv::ElementSymbol(0), "E");
  EXPECT_STREQ(qv::ElementSymbol(26), "Fe");
  EXPECT_STREQ(qv::ElementSymbol(103), "Lr");
  EXPECT_EQ(qv::ElementSymbol(104), nullptr);
  EXPECT_EQ(qv::ElementSymbol(-1), nullptr);
  EXPECT_STREQ(qv::ElementSymbolOrUnknown(-1), "X");
  EXPECT_EQ(qv::AtomicNumberOf("E"), 0);
  EXPECT_EQ(qv::AtomicNumberOf("Lr"), 103);
  for (const char* bad : {"Uue", "FE", "fe", "", "Fe ", "X"}) EXPECT_EQ(qv::AtomicNumberOf(bad), -1) << bad;
  for (int z = 0; z < qv::kElementSymbolCount; ++z) {
    EXPECT_EQ(qv::AtomicNumberOf(qv::ElementSymbol(z)), z);
    EXPECT_LE(std::string(qv::ElementSymbol(z)).size(), 3u);
  }
}

TEST(ElementTable, DefaultColours) {
  const qv::ColorTables t;
  const qv::Rgba pink{255, 20, 151, 255};
  EXPECT_EQ(t.element.size(), 119u);
  EXPECT_EQ(t.element[6], t.element[0]);
  EXPECT_EQ(t.element[6], (qv::Rgba{51, 205, 205, 255}));
  EXPECT_EQ(t.element[8], (qv::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(t.element[56], (qv::Rgba{255, 255, 51, 255}));
  EXPECT_EQ(t.element[3], pink);
  for (int z = 104; z <= 118; ++z) EXPECT_EQ(t.element[z], pink) << z;
  EXPECT_EQ(t.Element(-1), t.element[0]);
  EXPECT_EQ(t.Element(119), t.element[0]);
}

TEST(ElementTable, BondCountTableClampsAndHidesSixToNine) {
  const qv::ColorTables t;
  EXPECT_EQ(t.BondCount(20), t.bondCount[14]);
  EXPECT_EQ(t.BondCount(-3), t.bondCount[0]);
  for (int n = 0; n < 15; ++n) EXPECT_EQ(t.BondCount(n).a == 0, n >= 6 && n <= 9) << n;
}

}  // namespace
