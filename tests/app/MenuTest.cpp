#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "FakeMenu.h"
#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "app/MenuTable.h"

using namespace qv::cmd;

namespace {

const MenuNode* Find(const std::vector<MenuNode>& nodes, int id) {
  for (const MenuNode& n : nodes) {
    if (n.id == id) return &n;
    if (const MenuNode* c = Find(n.children, id)) return c;
  }
  return nullptr;
}

// Ids of a menu's items in order, separators as -1, sub-menus as 0.
std::vector<int> Layout(const MenuNode& menu) {
  std::vector<int> out;
  for (const MenuNode& n : menu.children) out.push_back(n.separator ? -1 : n.id);
  return out;
}

}  // namespace

TEST(MenuTable, TopLevelOrderAndCommandItems) {
  const auto& bar = MenuBar();
  ASSERT_EQ(bar.size(), 8u);
  EXPECT_STREQ(bar[kMenuFile].en, "&File");
  EXPECT_EQ(bar[kMenuScattering].id, kScattering);
  EXPECT_FALSE(bar[kMenuScattering].IsSubMenu());
  EXPECT_EQ(bar[kMenuField].id, kField);
  EXPECT_STREQ(bar[kMenuField].ja, "field");
  EXPECT_STREQ(bar[kMenuHelp].en, "&Help");
}

TEST(MenuTable, SeparatorsSitWhereTheMenuPutsThem) {
  const auto& bar = MenuBar();
  EXPECT_EQ(Layout(bar[kMenuFile]), (std::vector<int>{kOpen, -1, kEditMode, -1, kExit}));
  EXPECT_EQ(Layout(bar[kMenuHelp]), (std::vector<int>{kVersion, -1, kOpenSettings, kReloadSettings}));
  const std::vector<int> movie = Layout(bar[kMenuMovie]);
  // Frame skip, sep, Play, Output, Extended output, sep, Movie mode, sep, three checkpoints.
  EXPECT_EQ(movie, (std::vector<int>{0, -1, 0, 0, 0, -1, 0, -1, kAddCheckpoint, kSaveCheckpoints,
                                     kLoadCheckpoints}));
  const std::vector<int> atoms = Layout(bar[kMenuAtoms]);
  ASSERT_EQ(atoms.size(), 24u);
  EXPECT_EQ(atoms[3], -1);   // after Bond display
  EXPECT_EQ(atoms[13], -1);  // after Adsorbed hydrogen list
  EXPECT_EQ(atoms[12], kAdsorbedHydrogen);
  EXPECT_EQ(atoms[14], kCoordinationSeries);
}

TEST(MenuTable, DisabledItemsIncludeTheSecondCoordinationItem) {
  const auto& atoms = MenuBar()[kMenuAtoms].children;
  int enabled = 0, disabled = 0;
  for (const MenuNode& n : atoms)
    if (n.id == kCoordination) (n.disabled ? disabled : enabled)++;
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(disabled, 1);
  for (int id : {kBackgroundColour, kBondsEnergyFlux, kPlayFromCurrent, kPlayUpToCurrent, kRdf,
                 kBondSurvival, kAddCheckpoint}) {
    const MenuNode* n = Find(MenuBar(), id);
    ASSERT_NE(n, nullptr) << id;
    EXPECT_TRUE(n->disabled) << id;
  }
  for (int id : {kOpen, kBmp, kEps, kMd3Sequence, kPlayAll, kStereoBmp, kReloadSettings})
    EXPECT_FALSE(Find(MenuBar(), id)->disabled) << id;
}

TEST(MenuTable, EveryItemHasBothCaptionsAndEveryIdIsKnown) {
  const std::vector<int> ids = MenuCommandIds();
  EXPECT_EQ(ids.size(), 82u);
  std::function<void(const std::vector<MenuNode>&)> check = [&](const std::vector<MenuNode>& nodes) {
    for (const MenuNode& n : nodes) {
      if (n.separator) continue;
      EXPECT_FALSE(std::string(n.ja).empty());
      EXPECT_FALSE(std::string(n.en).empty());
      check(n.children);
    }
  };
  check(MenuBar());
  EXPECT_STREQ(Find(MenuBar(), kMd3)->ja, "md3出力");
  EXPECT_STREQ(Find(MenuBar(), kFa2)->ja, "fa2出力");
  EXPECT_STREQ(Find(MenuBar(), kMd3Sequence)->ja, "md3連番出力");
}

TEST(RadioGroups, NotificationsMarkOneItemOfTheirGroupOnly) {
  FakeMenu menu;
  NotifyDistributer distributer;
  MenuRadioGroups groups(&menu, distributer);
  distributer.Notify(kPropAtomStyle, 2);
  EXPECT_TRUE(menu.Checked(kAtomsPointSprites));
  EXPECT_FALSE(menu.Checked(kAtomsPolygons));
  EXPECT_FALSE(menu.Checked(kAtomsHidden));
  EXPECT_FALSE(menu.Checked(kBoxShow));  // other groups untouched
  distributer.Notify(kPropAtomStyle, 0);
  EXPECT_TRUE(menu.Checked(kAtomsHidden));
  EXPECT_FALSE(menu.Checked(kAtomsPointSprites));

  distributer.Notify(kPropColorMode, 1);
  EXPECT_TRUE(menu.Checked(kColourBondCount));
  distributer.Notify(kPropColorMode, 3);  // height: no item of its own
  EXPECT_FALSE(menu.Checked(kColourAtomicNumber));
  EXPECT_FALSE(menu.Checked(kColourBondCount));
  EXPECT_FALSE(menu.Checked(kColourPressure));
  EXPECT_FALSE(menu.Checked(kColourHeight));

  distributer.Notify(kPropBox, 0);
  EXPECT_TRUE(menu.Checked(kBoxHide));
  EXPECT_FALSE(menu.Checked(kBoxShow));
  // Ids without a group (radius, background) reach nobody.
  distributer.Notify(kPropAtomRadius, 1);
  distributer.Notify(kPropBgRed, 0);
  EXPECT_TRUE(menu.Checked(kBoxHide));
}

TEST(RadioGroups, AMarkedItemIsAlsoEnabledAndGroupsGoAwayWithTheWindow) {
  FakeMenu menu;
  NotifyDistributer distributer;
  {
    MenuRadioGroups groups(&menu, distributer);
    menu.SetItemEnabled(kProjectionPerspective, false);
    distributer.Notify(kPropProjection, 1);
    EXPECT_TRUE(menu.Enabled(kProjectionPerspective));
    EXPECT_TRUE(menu.Checked(kProjectionOrthographic));
  }
  distributer.Notify(kPropProjection, 0);  // after close: no listener left
  EXPECT_TRUE(menu.Checked(kProjectionOrthographic));
}

TEST(RadioGroups, DistributerCallsEveryListenerOfAnIdInOrder) {
  struct Recorder : INotifyProperty {
    std::vector<std::string>* log;
    std::string name;
    void Notify(int id, int v) override { log->push_back(name + ":" + std::to_string(id) + "=" + std::to_string(v)); }
  };
  std::vector<std::string> log;
  Recorder a, b, c;
  a.log = b.log = c.log = &log;
  a.name = "a";
  b.name = "b";
  c.name = "c";
  NotifyDistributer d;
  d.Add(260, &b);
  d.Add(261, &c);
  d.Add(260, &a);
  d.Notify(260, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"b:260=2", "a:260=2"}));
}

TEST(MenuEnabling, FollowsTheFirstDataSetsType) {
  struct Case {
    int type;
    std::vector<int> expected;  // File, Display, Atoms, Scattering, field, Output, Movie
  };
  const Case cases[] = {
      {1, {1, 1, 1, 0, 0, 1, 1}}, {5, {1, 1, 1, 0, 0, 1, 1}}, {6, {1, 1, 1, 0, 0, 1, 1}},
      {7, {1, 1, 1, 0, 0, 1, 1}}, {2, {1, 1, 0, 1, 0, 1, 1}}, {3, {1, 1, 0, 0, 1, 1, 1}},
      {4, {1, 1, 0, 0, 0, 1, 1}}, {0, {-1, -1, 0, 0, 0, 0, 0}}, {8, {-1, -1, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    FakeMenu menu;
    EnableMenusForType(menu, c.type);
    std::vector<int> got;
    for (int i = 0; i < 7; ++i) got.push_back(menu.Top(i));
    EXPECT_EQ(got, c.expected) << "type " << c.type;
    EXPECT_EQ(menu.Top(kMenuHelp), -1);
    EXPECT_EQ(menu.redraws, 1);
  }
}

TEST(MenuEnabling, NoDataSetLeavesFileAndDisplayAsTheyWere) {
  FakeMenu menu;
  EnableMenusForType(menu, 3);
  EnableMenusForType(menu, 0);
  EXPECT_EQ(menu.Top(kMenuFile), 1);
  EXPECT_EQ(menu.Top(kMenuDisplay), 1);
  EXPECT_EQ(menu.Top(kMenuField), 0);
}

TEST(FrameSkipMarks, OnlyTheChosenItemIsMarked) {
  FakeMenu menu;
  MarkFrameSkip(menu, kSkip2);
  MarkFrameSkip(menu, kSkip4);
  int marked = 0;
  for (int id : FrameSkipIds()) marked += menu.Checked(id);
  EXPECT_EQ(marked, 1);
  EXPECT_TRUE(menu.Checked(kSkip4));
}
