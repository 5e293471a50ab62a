#include <gtest/gtest.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <string>

#include "TestSupport.h"
#include "data/text/NumberScan.h"
#include "data/text/TextFrames.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const float kBox[9] = {20, 0, 0, 0, 21, 0, 0, 0, 22};

qv::FrameList Load(const std::string& text, qv::TextFormat format, std::string* out = nullptr,
                   int* largest = nullptr) {
  qv::LineReader lines;
  lines.OpenMemory(text);
  qv::FrameList frames;
  int big = 0;
  CaptureStdout();
  qv::LoadTextFrames(lines, format, kBox, frames, big);
  const std::string o = GetCapturedStdout();
  if (out) *out = o;
  if (largest) *largest = big;
  return frames;
}

}  // namespace

TEST(XyzTable, FirstTwoCharactersInTwoSpellings) {
  EXPECT_EQ(qv::XyzAtomicNumber("cl"), 17);
  EXPECT_EQ(qv::XyzAtomicNumber("Cl"), 17);
  EXPECT_EQ(qv::XyzAtomicNumber("CL"), 0);
  EXPECT_EQ(qv::XyzAtomicNumber("Fe"), 0);
  EXPECT_EQ(qv::XyzAtomicNumber("Ca"), 0);
  EXPECT_EQ(qv::XyzAtomicNumber("HE"), 0);
  EXPECT_EQ(qv::XyzAtomicNumber("he"), 2);
  EXPECT_EQ(qv::XyzAtomicNumber("C1"), 0);
  EXPECT_EQ(qv::XyzAtomicNumber("Cla"), 17);
  EXPECT_EQ(qv::XyzAtomicNumber("Ea"), 17);
  EXPECT_EQ(qv::XyzAtomicNumber("k"), 19);
  EXPECT_EQ(qv::XyzAtomicNumber("\xc3\xa9"), 0);
}

TEST(Xyz, TwoFramesWithSequenceNumbersCommentsAndDefaultBox) {
  const std::string frame =
      "3\n"
      "title %d\n"
      "O 0.0 0.0 0.0\n"
      "H 0.96 0 0\r\n"
      "cl -1.5e1 +2 .5\n";
  std::string text;
  for (int k = 1; k <= 2; ++k) {
    std::string f = frame;
    f.replace(f.find("%d"), 2, std::to_string(k));
    text += f;
  }
  int largest = 0;
  std::string out;
  qv::FrameList frames = Load(text, qv::TextFormat::kXyz, &out, &largest);
  ASSERT_EQ(frames.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const ATOMS_DATA& f = *frames[k];
    EXPECT_EQ(f.index, k);
    EXPECT_EQ(f.sequence, k + 1);
    EXPECT_EQ(f.step, 0);
    EXPECT_EQ(f.comment.value_or(""), "title " + std::to_string(k + 1) + "\n");
    EXPECT_EQ(f.box[4], 21.0);
    EXPECT_EQ(f.atomicNumbers[2], 17);
    EXPECT_EQ(f.positions[6], -15.0f);
    EXPECT_EQ(f.positions[7], 2.0f);
    EXPECT_EQ(f.positions[8], 0.5f);
  }
  EXPECT_EQ(largest, 3);
  EXPECT_EQ(out, "");
}

TEST(Xyz, NumbersStopAtTheFirstFieldThatIsNotANumber) {
  qv::FrameList frames = Load("3\nt\nH 1.5abc 2 3\nO 1 x 3\nC 7 8 9 extra words\n", qv::TextFormat::kXyz);
  ASSERT_EQ(frames.size(), 1u);
  const auto& p = frames[0]->positions;
  EXPECT_EQ(p[0], 1.5f);  // "%f" stops inside the word; the next field fails there
  EXPECT_EQ(p[1], 0.0f);
  EXPECT_EQ(p[3], 1.0f);
  EXPECT_EQ(p[4], 0.0f);
  EXPECT_EQ(p[5], 0.0f);
  EXPECT_EQ(p[8], 9.0f);
}

TEST(Xyz, BadCountsAndShortFrames) {
  std::string out;
  const std::string good = "1\nt\nH 1 2 3\n";
  qv::FrameList frames = Load(good + "-4\nt\nH 0 0 0\n", qv::TextFormat::kXyz, &out);
  EXPECT_EQ(frames.size(), 1u);
  EXPECT_NE(out.find("atom count -4 is not positive"), std::string::npos) << out;

  frames = Load(good + "999999999\nt\nH 0 0 0\n", qv::TextFormat::kXyz, &out);
  EXPECT_EQ(frames.size(), 1u);
  EXPECT_NE(out.find("frame 2 declares 999999999 atoms"), std::string::npos) << out;

  frames = Load(good + "3\nshort\nO 4 5 6\n", qv::TextFormat::kXyz, &out);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1]->atomCount, 3);
  EXPECT_EQ(frames[1]->positions[2], 6.0f);
  EXPECT_EQ(frames[1]->positions[8], 0.0f);
  EXPECT_EQ(frames[1]->atomicNumbers[2], 0);
  EXPECT_NE(out.find("frame 2 ends after 1 of its 3 atoms"), std::string::npos) << out;

  frames = Load(good + "\x89PNG\r\n\x1a\n\0\0\0", qv::TextFormat::kXyz, &out);
  EXPECT_EQ(frames.size(), 1u);
  EXPECT_NE(out.find("line 4 holds no atom count"), std::string::npos) << out;

  frames = Load("", qv::TextFormat::kXyz, &out);
  EXPECT_TRUE(frames.empty());
  EXPECT_EQ(out, "");

  frames = Load("2\nt\nH nan 0 0\nH 0 -inf 1e400\n", qv::TextFormat::kXyz, &out);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->positions[0], 0.0f);
  EXPECT_EQ(frames[0]->positions[4], 0.0f);
  EXPECT_EQ(frames[0]->positions[5], 0.0f);
  EXPECT_NE(out.find("3 coordinates that are not finite"), std::string::npos) << out;
}

TEST(Md2, LeadingIntegerIsIgnored) {
  qv::FrameList frames = Load("2\nmd2 title\n7 O 0.0 0.0 1.5\n8 na 1 2 3\n", qv::TextFormat::kMd2);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->atomicNumbers[0], 8);
  EXPECT_EQ(frames[0]->positions[2], 1.5f);
  EXPECT_EQ(frames[0]->atomicNumbers[1], 11);
  EXPECT_EQ(frames[0]->comment.value_or(""), "md2 title\n");
}

TEST(Pdb, ReducedLayoutInsideModel) {
  qv::FrameList frames = Load(
      "MODEL 7\n"
      "ATOM 1 O HOH 1.0 2.0 3.0\n"
      "ATOM 2 CA X 0 0 0\n"
      "ATOM 3 Ca X 0 0 0\n"
      "ATOM 4 Cc X 0 0 0\n"
      "TER\n"
      "ENDMDL\n"
      "MODEL 9\n"
      "ATOM 1 H X 4 5 6\n"
      "ENDMDL\n",
      qv::TextFormat::kPdb);
  ASSERT_EQ(frames.size(), 2u);
  const ATOMS_DATA& f = *frames[0];
  EXPECT_EQ(f.atomCount, 4);
  EXPECT_EQ(f.step, 7);
  EXPECT_EQ(f.sequence, 1);
  EXPECT_EQ(f.atomicNumbers[0], 8);
  EXPECT_EQ(f.positions[0], 1.0f);
  EXPECT_EQ(f.positions[1], 2.0f);
  EXPECT_EQ(f.positions[2], 3.0f);
  EXPECT_EQ(f.atomicNumbers[1], 21);
  EXPECT_EQ(f.atomicNumbers[2], 20);
  EXPECT_EQ(f.atomicNumbers[3], 0);
  for (double b : f.box) EXPECT_EQ(b, 0.0);
  EXPECT_FALSE(f.comment);
  EXPECT_EQ(frames[1]->step, 9);
  EXPECT_EQ(frames[1]->sequence, 2);
  EXPECT_EQ(frames[1]->atomCount, 1);
}

TEST(Pdb, FiveThousandAtomFrameGrowsTheBuffer) {
  std::string text = "MODEL 1\n";
  for (int i = 0; i < 5000; ++i) text += "ATOM " + std::to_string(i) + " O W " + std::to_string(i) + " 0 0\n";
  text += "ENDMDL\n";
  qv::LineReader lines;
  lines.OpenMemory(text);
  qv::TextLoad load(lines, kBox);
  auto f = qv::ReadPdbFrame(load);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->atomCount, 5000);
  EXPECT_EQ(f->positions.size(), 15000u);
  EXPECT_EQ(f->positions[3 * 4999], 4999.0f);
  EXPECT_EQ(load.work.atomCount, 16384);
  EXPECT_EQ(load.largestAtomCount, 5000);
  EXPECT_FALSE(qv::ReadPdbFrame(load));
}

TEST(Pdb, StandardColumnsHeaderRecordsAndElementColumn) {
  // Chain identifier and residue number sit between the residue name and x.
  const std::string text =
      "HEADER    TEST\n"
      "REMARK   1 written by hand\n"
      "CRYST1   10.000   10.000   10.000  90.00  90.00  90.00 P 1           1\n"
      "MODEL        3\n"
      "ATOM      1  CA  ALA A  12      11.104   6.134  -6.504  1.00  0.00           C\n"
      "ATOM      2  CA  ALA A  12      -1.500   2.250  10.000  1.00  0.00\n"
      "HETATM    3 CA    CA B 101       1.000   2.000   3.000  1.00  0.00          CA\n"
      "HETATM    4  O   HOH C 201       4.000   5.000   6.000  1.00  0.00           O\n"
      "ENDMDL\n"
      "END\n";
  qv::FrameList frames = Load(text, qv::TextFormat::kPdb);
  ASSERT_EQ(frames.size(), 1u);
  const ATOMS_DATA& f = *frames[0];
  EXPECT_EQ(f.step, 3);
  ASSERT_EQ(f.atomCount, 4);
  EXPECT_EQ(f.atomicNumbers[0], 6);   // alpha carbon of element C
  EXPECT_EQ(f.atomicNumbers[1], 21);  // no element column: the name CA as written
  EXPECT_EQ(f.atomicNumbers[2], 20);  // calcium ion
  EXPECT_EQ(f.atomicNumbers[3], 8);
  EXPECT_FLOAT_EQ(f.positions[0], 11.104f);
  EXPECT_FLOAT_EQ(f.positions[1], 6.134f);
  EXPECT_FLOAT_EQ(f.positions[2], -6.504f);
  EXPECT_FLOAT_EQ(f.positions[3], -1.5f);
  EXPECT_FLOAT_EQ(f.positions[11], 6.0f);
}

TEST(Pdb, FileWithoutModelIsOneFrameUpToEnd) {
  const std::string text =
      "COMPND    WATER\n"
      "HETATM    1  O   HOH     1       0.000   0.000   0.000  1.00  0.00           O\n"
      "HETATM    2  H1  HOH     1       0.957   0.000   0.000  1.00  0.00           H\n"
      "CONECT    1    2\n"
      "END\n"
      "ATOM      3  N   XXX     1       9.000   9.000   9.000  1.00  0.00           N\n";
  std::string out;
  qv::FrameList frames = Load(text, qv::TextFormat::kPdb, &out);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->atomCount, 2);
  EXPECT_EQ(frames[0]->step, 0);
  EXPECT_EQ(frames[0]->atomicNumbers[1], 1);
  EXPECT_FLOAT_EQ(frames[0]->positions[3], 0.957f);

  frames = Load("REMARK nothing here\n\x01\x02\x03", qv::TextFormat::kPdb, &out);
  EXPECT_TRUE(frames.empty());
  EXPECT_NE(out.find("no MODEL, ATOM or HETATM record"), std::string::npos);
}

TEST(LineReader, KeepsLongLinesWholeAcrossBlocksAndRejectsOverlongOnes) {
  qvtest::TempDir dir;
  const std::string path = dir.File("l.txt");
  qvtest::WriteText(path, "abc\n" + std::string(40, 'y') + "\nlast");
  qv::LineReader r(64);
  ASSERT_TRUE(r.Open(path));
  std::string_view line;
  ASSERT_TRUE(r.Next(line));
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(r.BytesLeft(), 45u);
  ASSERT_TRUE(r.Next(line));
  EXPECT_EQ(line, std::string(40, 'y'));
  ASSERT_TRUE(r.Next(line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(r.HadNewline());
  EXPECT_FALSE(r.Next(line));

  qvtest::WriteText(path, "ok\n" + std::string(100, 'z') + "\nH 1 2 3\n");
  qv::LineReader small(64);
  ASSERT_TRUE(small.Open(path));
  ASSERT_TRUE(small.Next(line));
  CaptureStdout();
  EXPECT_FALSE(small.Next(line));
  EXPECT_NE(GetCapturedStdout().find("line 2 is longer than 64 bytes"), std::string::npos);
  EXPECT_TRUE(small.TooLong());
  EXPECT_FALSE(small.Next(line));  // the tail is never handed out as a line
}

// The fast decimal path must give the double from_chars gives, and stop where it stops.
TEST(NumberScan, RealMatchesFromChars) {
  std::vector<std::string> words = {"0", "-0.0", "1.", ".5", "-.5", "1.e5", "1e", "1e+", "2E-3x", "5.5.5",
                                    "123456789012345678", "1234567890123456789", "12345678901234567890",
                                    "9007199254740993", "9007199254740992", "0.000000000000000000001234",
                                    "1e22", "1e23", "3e-22", "3e-23", "4.9e-324", "1e400", "1e-400",
                                    "00000000000000000000001.5", "1.50000000000000000000000", "inf",
                                    "nan", "+7.25", "-+1", ".", "e5", "0x1p3", "12,5", "1e99999999999"};
  std::mt19937_64 rng(9);
  char buf[64];
  for (int k = 0; k < 100000; ++k) {
    const int digits = static_cast<int>(rng() % 20) + 1;
    std::snprintf(buf, sizeof buf, rng() % 2 ? "%.*f" : "%.*e", digits,
                  (static_cast<double>(rng() % 2000000) - 1e6) * std::pow(10.0, static_cast<int>(rng() % 40) - 20));
    words.push_back(buf);
  }
  for (const std::string& w : words) {
    const char* b = w.data();
    const char* e = b + w.size();
    double got = -7, want = -7;
    const char* end = qv::scan::Real(b, e, got);
    const char* q = b + (w[0] == '-' || w[0] == '+');
    auto [wantEnd, ec] = std::from_chars(q, e, want, std::chars_format::general);
    if (ec == std::errc::invalid_argument || (q != b && q < e && (*q == '-' || *q == '+'))) {
      EXPECT_EQ(end, nullptr) << w;
      continue;
    }
    ASSERT_EQ(end, wantEnd) << w;
    if (ec == std::errc::result_out_of_range) continue;  // the slow path's own handling
    if (w[0] == '-') want = -want;
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << w;
  }
}

// The words and decimals taken from a line's bits against the byte-by-byte scan, and an
// atom line read both ways, on random lines of numbers, signs, points, junk and separators.
TEST(NumberScan, LineWordsMatchTheByteScan) {
  const char* const kTokens[] = {"-12.345678", "47.8222900", "1e5", "+3.", ".25", "-.5", ".", "-", "+-1",
                                 "1.2.3", "12345678.12345678", "123456789.5", "9999999999999999",
                                 "9007199254740993", "0.00000001", "-0", "1.5x", "nan", "H", "Si", "7",
                                 "-7", "1-2", "0012.5000", "\xc3\xa9"};
  const std::string_view kPlain[] = {"-12.345678", "47.8222900", "+3.", ".25", "-.5", "12345678.12345678",
                                     "0.00000001", "-0", "7", "-7", "0012.5000"};
  const char* const kGaps[] = {" ", "  ", "\t", " \r", "   "};
  std::mt19937 rng(5);
  std::string text;
  std::vector<std::pair<size_t, size_t>> lines;
  for (int k = 0; k < 20000; ++k) {
    const size_t b = text.size();
    if (rng() % 2) text += kGaps[rng() % 5];
    for (int n = static_cast<int>(rng() % 7); n > 0; --n) {
      text += kTokens[rng() % std::size(kTokens)];
      if (n > 1 || rng() % 3 == 0) text += kGaps[rng() % 5];
    }
    lines.push_back({b, text.size()});
    text += '\n';
  }
  const char* readable = text.data() + text.size();
  for (auto [b, e] : lines) {
    const char* p = text.data() + b;
    const char* end = text.data() + e;
    const std::string_view line(p, e - b);
    qv::scan::LineWords words;
    const char* nl = nullptr;
    ASSERT_EQ(words.LoadLine(p, readable, nl), line.size() < 64 && readable - p >= 80) << line;
    if (!nl) continue;
    ASSERT_EQ(nl, end);
    const char* q = p;
    for (;;) {
      const std::string_view want = qv::scan::Word(q, end);
      const std::string_view got = words.Next();
      ASSERT_EQ(got, want) << line;
      if (want.empty()) break;
      double v = -7, r = -7;
      if (words.Decimal(got, v)) {
        ASSERT_EQ(qv::scan::Real(got.data(), got.data() + got.size(), r), got.data() + got.size()) << got;
        EXPECT_EQ(std::memcmp(&v, &r, sizeof v), 0) << got;
      } else {
        EXPECT_EQ(std::find(std::begin(kPlain), std::end(kPlain), got), std::end(kPlain)) << "not taken: " << got;
      }
    }
    for (qv::TextFormat f : {qv::TextFormat::kXyz, qv::TextFormat::kMd2}) {
      int32_t z[2] = {-1, -1};
      float r[2][3] = {{-1, -1, -1}, {-1, -1, -1}};
      int nonFinite[2] = {0, 0};
      qv::ParseCountedAtomLine(f, p, end, readable, z[0], r[0], nonFinite[0]);
      qv::ParseCountedAtomLine(f, p, end, end, z[1], r[1], nonFinite[1]);  // byte by byte
      EXPECT_EQ(z[0], z[1]) << line;
      EXPECT_EQ(std::memcmp(r[0], r[1], sizeof r[0]), 0) << line;
      EXPECT_EQ(nonFinite[0], nonFinite[1]) << line;
    }
  }
}

// Columns named by Properties= in another order, the cell's corner from Origin=, and keys
// that cannot be used: the frame keeps the default box and the plain column order.
TEST(TextFrames, ExtendedTitlesGiveTheCellAndTheColumns) {
  std::string out;
  qv::FrameList frames = Load(
      "2\nLattice=\"4 0 0 1 5 0 0.5 0.5 6\" Origin=\"-1 -2 -3\" Properties=id:I:1:pos:R:3:species:S:1 pbc=\"T T T\"\n"
      "7 0.5 1.5 2.5 Cu\n8 1 2 3 O\n"
      "1\nLattice=\"1 2 3\"\nH 1 2 3\n"
      "1\nProperties=species:S:1:vel:R:3\nHe 4 5 6\n",
      qv::TextFormat::kXyz, &out);
  ASSERT_EQ(frames.size(), 3u);
  const ATOMS_DATA& a = *frames[0];
  const double box[9] = {4, 0, 0, 1, 5, 0, 0.5, 0.5, 6};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(a.box[k], box[k]) << k;
  EXPECT_EQ(a.origin[0], -1);
  EXPECT_EQ(a.origin[2], -3);
  EXPECT_EQ(a.atomicNumbers[0], 29);
  EXPECT_EQ(a.atomicNumbers[1], 8);
  EXPECT_EQ(a.positions[0], 0.5f);
  EXPECT_EQ(a.positions[5], 3.0f);
  for (size_t f : {1u, 2u}) {
    EXPECT_EQ(frames[f]->box[0], kBox[0]) << f;
    EXPECT_EQ(frames[f]->positions[2], f == 1 ? 3.0f : 6.0f) << "plain columns";
  }
  EXPECT_EQ(frames[1]->atomicNumbers[0], 1);
  EXPECT_NE(out.find("xyz: frame 2: Lattice=\"1 2 3\" is not nine numbers; it is not used"), std::string::npos) << out;
  EXPECT_NE(out.find("has no pos:R:3 column"), std::string::npos) << out;
}
