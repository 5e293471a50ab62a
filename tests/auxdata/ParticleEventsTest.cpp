// Particle event records: the reader, the visible count, z reversal, and the replay checked
// against a plain replay over std::map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <unordered_map>

#include "auxdata/krb/KrbReplay.h"
#include "auxdata/krb/ParticleEventTypes.h"
#include "data/DataSetList.h"
#include "TestSupport.h"

namespace {

// Box 10 x 20 x 30 given column by column, origin (1, 2, 3).
const char* kBox = "BOX 10 0 0  0 20 0  0 0 30  1 2 3\n";

TEST(IdMap, AgreesWithTheStandardMapUnderInsertsAndErasesAndKeepsItsTableOnClear) {
  qv::IdMap<int> map;
  std::unordered_map<int64_t, int> ref;
  std::mt19937_64 rng(3);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 20000; ++i) {
      // Few distinct ids, some far apart: long probe runs and wrap-around.
      const int64_t id = static_cast<int64_t>(rng() % 300) * ((rng() & 1) ? 1 : -(int64_t{1} << 40));
      if (rng() % 3 == 0) {
        EXPECT_EQ(map.Erase(id), ref.erase(id) == 1);
      } else {
        bool inserted = false;
        int& v = map.Insert(id, i, inserted);
        EXPECT_EQ(inserted, ref.emplace(id, i).second);
        v = ref[id];
      }
    }
    ASSERT_EQ(map.Size(), ref.size());
    for (const auto& [id, v] : ref) {
      ASSERT_NE(map.Find(id), nullptr);
      EXPECT_EQ(*map.Find(id), v);
    }
    size_t seen = 0;
    map.ForEach([&](int64_t id, int v) { seen += ref.count(id) && ref[id] == v; });
    EXPECT_EQ(seen, ref.size());
    const size_t capacity = map.Capacity();
    map.Clear();
    ref.clear();
    EXPECT_EQ(map.Size(), 0u);
    EXPECT_EQ(map.Find(0), nullptr);
    EXPECT_EQ(map.Capacity(), capacity);
  }
}

TEST(ParticleEvents, ReadsTheBoxByColumnsAndTheRecordsKindsAndSpecies) {
  const std::string text = std::string("\n  \n") + kBox +
                           "0 X H 5 1 2 3\n\n"
                           "2 BCA He 6 4 5 6\n"
                           "3 DEL Qq 5 0 0 0\n"
                           "4 X H 7\n"  // no position: skipped
                           "5 X H 7 1 2 3\n";
  KRB_Reader k;
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  double box[9], origin[3];
  k.GetBox(box, origin);
  EXPECT_EQ(std::vector<double>(box, box + 9), (std::vector<double>{10, 0, 0, 0, 20, 0, 0, 0, 30}));
  EXPECT_EQ(std::vector<double>(origin, origin + 3), (std::vector<double>{1, 2, 3}));
  ASSERT_EQ(k.Records().size(), 4u);
  EXPECT_EQ(k.Records()[0].species, 1);
  EXPECT_EQ(k.Records()[1].kind, kKrbBca);
  EXPECT_EQ(k.Records()[1].species, 2);
  EXPECT_EQ(k.Records()[2].kind, kKrbDelete);
  EXPECT_EQ(k.Records()[2].species, -1);
  EXPECT_EQ(k.LastTime(), 5);
  EXPECT_EQ(k.skippedLines, 1);
  EXPECT_EQ(k.firstSkippedLine, 8);
  EXPECT_FALSE(k.sortedByTime);

  // Column order matters only off the diagonal.
  KRB_Reader skew;
  ASSERT_EQ(skew.ReadMemory("BOX 1 2 3 4 5 6 7 8 9 0 0 0\n"), kKrbRead);
  EXPECT_EQ(std::vector<float>(skew.box, skew.box + 9), (std::vector<float>{1, 4, 7, 2, 5, 8, 3, 6, 9}));
}

TEST(ParticleEvents, AFileWithoutALeadingBoxLoadsNothing) {
  for (const char* text : {"", "\n\n", "0 X H 1 0 0 0\nBOX 1 0 0 0 1 0 0 0 1 0 0 0\n"}) {
    KRB_Reader k;
    EXPECT_EQ(k.ReadMemory(text), kKrbNoBox) << text;
  }
  KRB_Reader k;
  EXPECT_EQ(k.ReadMemory("BOX 1 0 0 0 1 0 0 0 1\n"), kKrbShortBox);
  EXPECT_EQ(KRB_Reader().Read("/nonexistent/a.krb"), kKrbCannotOpen);
  EXPECT_NE(qv::ParticleEventsLoadReport(k, kKrbShortBox, "a.krb").find("error"), std::string::npos);
}

TEST(ParticleEvents, TheVisibleCountFollowsTheFrameBothWaysAndStartsBeforeTheFirstRecord) {
  std::string text = kBox;
  const int64_t times[] = {3, 3, 4, 7, 7, 7, 9};
  for (int64_t t : times) text += std::to_string(t) + " X H 1 0 0 0\n";
  KRB_Reader k;
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  EXPECT_EQ(k.VisibleCount(), 0u) << "frame 0 shows only records of time <= 0";
  EXPECT_EQ(k.FrameLimit(), 9);
  for (int f : {3, 8, 2, 9, 100, 4, -5, 7, 6}) {
    const int want = std::clamp(f, 0, 9);
    EXPECT_EQ(k.SetFrame(f), want);
    const auto n = std::count_if(std::begin(times), std::end(times), [&](int64_t t) { return t <= want; });
    EXPECT_EQ(k.VisibleCount(), static_cast<size_t>(n)) << "frame " << f;
  }
}

TEST(ParticleEvents, RecordsOutOfTimeOrderAreSortedStablyAndSaidSo) {
  const std::string text = std::string(kBox) + "5 X H 1 0 0 0\n2 X H 2 0 0 0\n5 X H 3 0 0 0\n2 X H 4 0 0 0\n";
  KRB_Reader k;
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  EXPECT_TRUE(k.sortedByTime);
  std::vector<int64_t> ids;
  for (const KrbRecord& r : k.Records()) ids.push_back(r.id);
  EXPECT_EQ(ids, (std::vector<int64_t>{2, 4, 1, 3}));
  EXPECT_NE(qv::ParticleEventsLoadReport(k, kKrbRead, "a.krb").find("sorted"), std::string::npos);
}

TEST(ParticleEvents, ZReversalMirrorsZAndDropsTheOriginByTheBoxHeight) {
  const std::string text = std::string(kBox) + "0 X H 1 0 0 1\n";
  KRB_Reader k(true);
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  EXPECT_EQ(k.Records()[0].z, -1);
  EXPECT_EQ(k.origin[2], 3 - 30);
}

TEST(ParticleEvents, ReplayDeletesOnlyLiveIdsAndDrawsNoMoveAcrossHalfTheBox) {
  const std::string text = std::string(kBox) +
                           "0 DEL H 9 0 0 0\n"    // not live: nothing happens
                           "0 X H 1 1 1 1\n"
                           "0 X O 2 1 1 1\n"
                           "0 X H 1 2 1 1\n"      // a move: drawn
                           "0 X O 2 7 1 1\n"      // 6 along x of a 10 box: not drawn
                           "0 X O 2 7 1 15.5\n"   // 14.5 along z of a 30 box: drawn
                           "0 DEL H 1 0 0 0\n";
  KRB_Reader k;
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  KrbReplay replay;
  replay.Run(k, 0);
  const auto live = replay.SortedLive();
  ASSERT_EQ(live.size(), 1u);
  EXPECT_EQ(live[0].first, 2);
  EXPECT_EQ(live[0].second.species, 8);
  EXPECT_EQ(live[0].second.z, 15.5f);
  ASSERT_EQ(replay.Segments().size(), 2u);
  EXPECT_EQ(replay.Segments()[0].to[0], 2);
  EXPECT_EQ(replay.Segments()[1].to[2], 15.5f);
  replay.Run(k, 2);  // only the last two records may leave a trail
  ASSERT_EQ(replay.Segments().size(), 1u);
  EXPECT_EQ(replay.Segments()[0].to[2], 15.5f);
}

// Random records checked against a replay over std::map written from the rules directly.
TEST(ParticleEvents, ReplayMatchesAPlainReplayAtEveryFrameAndReusesItsTables) {
  std::mt19937 rng(11);
  std::string text = kBox;
  int64_t t = 0;
  for (int i = 0; i < 3000; ++i) {
    t += rng() % 3 == 0;
    const char* kind = rng() % 6 == 0 ? "DEL" : "X";
    const char* species = rng() % 2 ? "Fe" : "Zz";
    const int id = static_cast<int>(rng() % 200);
    text += std::to_string(t) + " " + kind + " " + species + " " + std::to_string(id) + " " +
            std::to_string(rng() % 10) + " " + std::to_string(rng() % 20) + " " +
            std::to_string(rng() % 30) + "\n";
  }
  KRB_Reader k;
  ASSERT_EQ(k.ReadMemory(text), kKrbRead);
  KrbReplay replay;
  k.SetFrame(static_cast<int>(t));
  replay.Run(k, 0);  // the largest replay sizes the tables
  for (int frame : {static_cast<int>(t), 0, static_cast<int>(t / 2), 17}) {
    for (int64_t trail : {int64_t{0}, int64_t{50}}) {
      k.SetFrame(frame);
      const size_t capacity = replay.Live().Capacity();
      const KrbSegment* segments = replay.Segments().data();
      replay.Run(k, trail);
      EXPECT_EQ(replay.Live().Capacity(), capacity) << "a replay no larger than the first one";
      if (!replay.Segments().empty()) {
        EXPECT_EQ(replay.Segments().data(), segments);
      }

      std::map<int64_t, KrbParticle> live;
      size_t segmentCount = 0;
      const size_t n = k.VisibleCount();
      for (size_t i = 0; i < n; ++i) {
        const KrbRecord& r = k.Records()[i];
        if (r.kind == kKrbDelete) {
          live.erase(r.id);
        } else if (!live.count(r.id)) {
          live[r.id] = {r.x, r.y, r.z, r.species};
        } else {
          KrbParticle& p = live[r.id];
          const bool recent = trail <= 0 || i + static_cast<size_t>(trail) >= n;
          if (recent && std::fabs(r.x - p.x) < 5 && std::fabs(r.y - p.y) < 10 && std::fabs(r.z - p.z) < 15) {
            ++segmentCount;
          }
          p = {r.x, r.y, r.z, p.species};
        }
      }
      const auto got = replay.SortedLive();
      ASSERT_EQ(got.size(), live.size()) << "frame " << frame;
      size_t i = 0;
      for (const auto& [id, p] : live) {
        EXPECT_EQ(got[i].first, id);
        EXPECT_EQ(got[i].second.x, p.x);
        EXPECT_EQ(got[i].second.z, p.z);
        EXPECT_EQ(got[i].second.species, p.species);
        ++i;
      }
      EXPECT_EQ(replay.Segments().size(), segmentCount) << "frame " << frame << " trail " << trail;
    }
  }
}

TEST(ParticleEvents, TheDispatchFollowsTheZReverseSettingAndRefusesBrokenFiles) {
  qv::RegisterParticleEventTypes(DataTypeRegistry::Instance());
  qvtest::TempDir dir;
  qvtest::WriteText(dir.File("a.krb"), std::string(kBox) + "2 X H 1 0 0 1\n");
  qvtest::WriteText(dir.File("bad.krb"), "0 X H 1 0 0 1\n");
  DataSetList list;
  LoadOptions options;
  options.trajectoryZReverse = 0;
  list.OpenDataFile(dir.File("bad.krb"), options);
  list.OpenDataFile(dir.File("none.krb"), options);
  EXPECT_EQ(list.Size(), 0u);
  list.OpenDataFile(dir.File("a.krb"), options);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(qv::ParticleEventsOf(list[0])->Records()[0].z, 1);
  EXPECT_EQ(list[0].SetFrame(5), 2);
  double box[9], origin[3];
  ASSERT_TRUE(list[0].GetBox(box, origin));
  EXPECT_EQ(origin[2], 3);
}

}  // namespace
