#include "shell/settings/DisplayOptions.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "shell/settings/Settings.h"

namespace {

using Calls = std::vector<std::pair<int, int>>;

class Recorder : public INotifyProperty {
 public:
  void Notify(int id, int value) override { calls.emplace_back(id, value); }
  Calls calls;
};

Settings WithLargeThreshold1000() {
  Settings s;
  ReadSettingsText(
      "[WINDOW]\nMultiview=0\n[VISUAL]\nProjection=1\nBox=1\nAtom=1\nAtomColor=0\nBond=1\n"
      "BondPoly=3\nAtomPoly=4\nAtomRadius=1.9\nBGColor=1,0.5,1\n"
      "[LARGE]\nThreshold=1000\nBox=0\nAtom=2\nAtomColor=1\nBond=0\nBondPoly=6\nAtomPoly=2\n"
      "AtomRadius=0.2\nBGColor=0 0 0 1\n",
      s);
  return s;
}

TEST(LargeDataCheck, AnnouncesEveryValueInOrderTruncatedVisualBelowThreshold) {
  const Settings s = WithLargeThreshold1000();
  Recorder r;
  DisplayOptions o;
  o.listener = &r;
  LargeDataCheck(s, 999, o);
  EXPECT_EQ(r.calls, (Calls{{257, 1}, {259, 0}, {258, 1}, {260, 1}, {261, 0}, {262, 1}, {263, 3},
                            {264, 4}, {265, 1}, {512, 1}, {513, 0}, {514, 1}, {515, 0}}));
  EXPECT_DOUBLE_EQ(o.values.atomRadius, 1.9);  // stored untruncated
  EXPECT_FLOAT_EQ(o.values.background[1], 0.5f);
}

TEST(LargeDataCheck, ThresholdAtomCountAndAboveTakeTheLargeValues) {
  const Settings s = WithLargeThreshold1000();
  Recorder r;
  DisplayOptions o;
  o.listener = &r;
  LargeDataCheck(s, 1000, o);
  EXPECT_EQ(r.calls, (Calls{{257, 1}, {259, 0}, {258, 0}, {260, 2}, {261, 1}, {262, 0}, {263, 6},
                            {264, 2}, {265, 0}, {512, 0}, {513, 0}, {514, 0}, {515, 1}}));
  EXPECT_EQ(o.values.atomStyle, 2);
  EXPECT_EQ(o.values.colorMode, 1);
}

TEST(LargeDataCheck, DefaultThresholdAlwaysAppliesVisualValues) {
  Settings s;
  ReadSettingsText("[VISUAL]\nAtom=2\n[LARGE]\nAtom=0\n", s);
  DisplayOptions o;
  LargeDataCheck(s, INT_MAX - 1, o);  // works without a listener too
  EXPECT_EQ(o.values.atomStyle, 2);
}

TEST(DisplayOptions, SetStoresAndAnnouncesUnknownIdsAreIgnoredHugeRealsSaturate) {
  Recorder r;
  DisplayOptions o;
  o.listener = &r;
  o.Set(kPropColorMode, 2);
  o.Set(300, 5);
  o.SetReal(kPropAtomRadius, 1e300);
  o.SetReal(kPropBgAlpha, -0.75);
  EXPECT_EQ(r.calls, (Calls{{261, 2}, {265, INT_MAX}, {515, 0}}));
  EXPECT_EQ(o.values.colorMode, 2);
  EXPECT_FLOAT_EQ(o.values.background[3], -0.75f);
}

}  // namespace
