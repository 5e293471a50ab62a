#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "app/Movie.h"

using namespace qv::cmd;

namespace {

// A trajectory of `frames` frames that clamps like every container does.
struct Frames {
  int count;
  int reached = 0;
  int calls = 0;
  SetFrameAllFn fn() {
    return [this](int t) {
      ++calls;
      reached = t < 0 ? 0 : (t >= count ? count - 1 : t);
      return reached;
    };
  }
};

struct State {
  int current = 0, skip = 1, play = 0;
};

}  // namespace

TEST(Playback, ForwardWithSkipStopsOneTickAfterTheLastFrame) {
  Frames f{25};
  State s;
  s.skip = 10;
  Movie movie(s.current, s.skip, s.play, f.fn());
  movie.StartForward();
  std::vector<int> seen;
  while (movie.Tick()) seen.push_back(s.current);
  EXPECT_EQ(seen, (std::vector<int>{10, 20, 24}));
  EXPECT_EQ(s.play, 0);
  EXPECT_FALSE(movie.Tick());  // the tick that ends the timer moves nothing
  EXPECT_EQ(s.current, 24);
}

TEST(Playback, StepsClampAndStopLeavesTheFrame) {
  Frames f{5};
  State s;
  s.skip = 2;
  Movie movie(s.current, s.skip, s.play, f.fn());
  movie.Step(1);
  movie.Step(1);
  movie.Step(1);
  EXPECT_EQ(s.current, 4);
  movie.Step(-1);
  EXPECT_EQ(s.current, 2);
  movie.Step(-1);
  movie.Step(-1);
  EXPECT_EQ(s.current, 0);
  movie.StartForward();
  EXPECT_TRUE(movie.Tick());
  EXPECT_EQ(s.current, 2);
  movie.Stop();
  EXPECT_FALSE(movie.Tick());
  EXPECT_EQ(s.current, 2);
}

TEST(Sequences, BitmapSequenceNumbersOnAcrossRuns) {
  Frames f{3};
  State s;
  Movie movie(s.current, s.skip, s.play, f.fn());
  std::vector<std::pair<int, int>> written;  // (number, frame shown)
  auto write = [&](int n) { written.push_back({n, s.current}); };
  int counter = 0;
  EXPECT_EQ(RunBitmapSequence(movie, counter, write), 3);
  s.current = f.fn()(1);
  EXPECT_EQ(RunBitmapSequence(movie, counter, write), 2);
  EXPECT_EQ(written, (std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}, {3, 1}, {4, 2}}));
  EXPECT_EQ(counter, 5);
}

TEST(Sequences, RightRotationWritesAFullTurnNumberedFromZero) {
  std::vector<int> numbers;
  double turned = 0;
  const int n = RunRightRotation(1.0, [&](int i) { numbers.push_back(i); }, [&](double a) { turned += a; });
  EXPECT_EQ(n, 361);
  ASSERT_EQ(numbers.size(), 361u);
  EXPECT_EQ(numbers.front(), 0);
  EXPECT_EQ(numbers.back(), 360);
  EXPECT_NEAR(turned, 361 * std::numbers::pi / 180.0, 1e-9);
  numbers.clear();
  EXPECT_EQ(RunRightRotation(100.0, [&](int i) { numbers.push_back(i); }, [](double) {}), 4);
  EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3}));  // again from 0
}

TEST(Sequences, RightRotationRefusesStepsThatGiveNoOrEndlessTurns) {
  int writes = 0;
  auto write = [&](int) { ++writes; };
  EXPECT_EQ(RunRightRotation(0.0, write, [](double) {}), 0);
  EXPECT_EQ(RunRightRotation(-5.0, write, [](double) {}), 0);
  EXPECT_EQ(RunRightRotation(std::nan(""), write, [](double) {}), 0);
  EXPECT_EQ(writes, 0);
}

TEST(Sequences, RotatingSequenceKeepsTurningAfterTheLastFrame) {
  Frames f{10};
  State s;
  Movie movie(s.current, s.skip, s.play, f.fn());
  int counter = 0;
  std::vector<int> frames;
  const double delta = 90.0 * std::numbers::pi / 180.0;
  RunRotatingSequence(movie, counter, delta, [&](int) { frames.push_back(s.current); }, [](double) {});
  // Ten frames, the fifth bitmap completes the first turn, the ninth the second, and the
  // trajectory has ended by the thirteenth, which completes the third.
  ASSERT_EQ(frames.size(), 13u);
  EXPECT_EQ(frames[9], 9);
  EXPECT_EQ(frames.back(), 9);
}

TEST(Sequences, RotatingSequenceWithoutATurnEndsWithTheTrajectory) {
  Frames f{3};
  State s;
  Movie movie(s.current, s.skip, s.play, f.fn());
  int counter = 0;
  EXPECT_EQ(RunRotatingSequence(movie, counter, 0.0, [](int) {}, [](double) {}), 3);
  // A "RotationAngleDelta" of 1e-300 degrees would take endless bitmaps to complete a turn.
  s.current = 0;
  f.fn()(0);
  EXPECT_EQ(RunRotatingSequence(movie, counter, 1e-300, [](int) {}, [](double) {}), 3);
}

TEST(Sequences, LeadTraceStopsWhenThereIsNothingToFollow) {
  Frames f{4};
  State s;
  Movie movie(s.current, s.skip, s.play, f.fn());
  int counter = 0, placed = 0;
  std::vector<int> numbers;
  auto write = [&](int n) { numbers.push_back(n); };
  EXPECT_EQ(RunLeadTrace(movie, counter, [&] { return ++placed <= 2; }, write), 2);
  EXPECT_EQ(numbers, (std::vector<int>{0, 1}));
  s.current = 0;
  f.fn()(0);
  EXPECT_EQ(RunLeadTrace(movie, counter, [] { return true; }, write), 4);
  EXPECT_EQ(numbers.back(), 5);
}
