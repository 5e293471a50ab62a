#include "tools/qvtool/OutputBuffer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string Printf(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

// Whatever the buffer wrote to a temporary stream.
template <class Fill>
std::string Written(Fill fill) {
  FILE* f = std::tmpfile();
  {
    qvtool::OutputBuffer out(f);
    fill(out);
  }
  std::string s(static_cast<size_t>(std::ftell(f)), '\0');
  std::rewind(f);
  EXPECT_EQ(std::fread(s.data(), 1, s.size(), f), s.size());
  std::fclose(f);
  return s;
}

}  // namespace

// The oracle is printf itself: random bit patterns (every exponent, subnormals, NaN
// payloads), floats widened as the tools widen them, and the values at the edges of the
// fixed and exponent forms.
TEST(FormatG9, MatchesPrintf) {
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 1e-5, 1e-4, 1e-3, 99999999.0, 999999999.0,
                                999999999.5, 1e9, -1e9, 123456789.0, 1234567890.0, 0.000123456789,
                                5e-324, -5e-324, std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::min(), 1e300, -1e-300, 2.5, 0.5e-9,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                -std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 rng(3);
  for (int k = 0; k < 200000; ++k) {
    const uint64_t bits = rng();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    values.push_back(d);
    float f;
    const uint32_t fbits = static_cast<uint32_t>(bits >> 32);
    std::memcpy(&f, &fbits, sizeof f);
    values.push_back(f);
    values.push_back(static_cast<double>(static_cast<float>((static_cast<int64_t>(bits % 2000001) - 1000000) * 1e-3)));
    values.push_back(static_cast<double>(static_cast<int64_t>(bits >> 11) - (int64_t{1} << 52)));
  }
  for (double v : values) {
    char buf[64];
    const std::string got(buf, static_cast<size_t>(qvtool::FormatG9(buf, v) - buf));
    ASSERT_EQ(Printf(v), got) << std::hexfloat << v;
  }
}

TEST(OutputBuffer, WritesWhatTheFormattedCallsWouldAcrossBlocks) {
  std::string expected;
  const std::string text = Written([&](qvtool::OutputBuffer& out) {
    char line[96];
    for (int i = -300000; i < 300000; ++i) {
      const double v = i * 0.37;
      const int n = std::snprintf(line, sizeof line, "%d %.9g,", i, v);
      expected.append(line, static_cast<size_t>(n));
      out.Int(i).Put(' ').Num(v).Put(',');
    }
    const std::string big(3 * qvtool::OutputBuffer::kBlock + 5, 'x');  // longer than a block
    expected += big;
    out.Put(big);
    expected += "null null 1.5\n";
    out.JsonNum(std::nan("")).Put(' ').JsonNum(-HUGE_VAL).Put(' ').JsonNum(1.5).Put('\n');
  });
  ASSERT_EQ(expected.size(), text.size());
  EXPECT_TRUE(expected == text);
}

// Long enough for several two-thread rounds and every carry of the index up to six digits;
// the values cover the short path (0 to 9) and the signed extremes. Text put before and
// after stays in place around the lines.
TEST(OutputBuffer, IndexValueLinesMatchPrintf) {
  std::vector<int32_t> values(300007);
  std::mt19937 random(11);
  for (size_t i = 0; i < values.size(); ++i) {
    const int32_t pick[] = {static_cast<int32_t>(random() % 10), static_cast<int32_t>(random()),
                            -static_cast<int32_t>(random() % 1000), std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max(), 10};
    values[i] = pick[random() % 6];
  }
  std::string expected = "bonds 3\n";
  char line[48];
  for (size_t i = 0; i < values.size(); ++i) {
    const int n = std::snprintf(line, sizeof line, "%zu %d\n", i, values[i]);
    expected.append(line, static_cast<size_t>(n));
  }
  expected += "end\n";
  const std::string text = Written([&](qvtool::OutputBuffer& out) {
    out.Put("bonds ").Int(3).Put('\n');
    out.IndexValueLines(values.data(), static_cast<int32_t>(values.size()));
    out.IndexValueLines(values.data(), 0);
    out.Put("end\n");
  });
  ASSERT_EQ(expected.size(), text.size());
  EXPECT_TRUE(expected == text);
}
