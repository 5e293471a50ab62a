#include "data/text/ParallelText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/md3/MD3Load.h"
#include "data/text/LineReader.h"
#include "data/text/TextFrames.h"

namespace {

constexpr size_t kLineLimit = 256;  // small, so that too-long lines and window edges are cheap

// What a load produced: every field of every frame, and its console lines.
std::string Describe(const qv::FrameList& frames, int largest, const std::string& console) {
  std::string s = console + "largest " + std::to_string(largest) + "\n";
  for (const auto& f : frames) {
    s += "frame " + std::to_string(f->index) + " seq " + std::to_string(f->sequence) + " step " +
         std::to_string(f->step) + " atoms " + std::to_string(f->atomCount) + " comment [" +
         f->comment.value_or("-") + "]\n";
    for (double b : f->box) s += std::to_string(b) + " ";
    for (double o : f->origin) s += std::to_string(o) + " ";
    s.append(reinterpret_cast<const char*>(f->atomicNumbers.data()), f->atomicNumbers.size() * 4);
    s.append(reinterpret_cast<const char*>(f->positions.data()), f->positions.size() * 4);
    s += "\n";
  }
  return s;
}

template <class Load>
std::string Captured(const qvtest::TempDir& dir, Load load) {
  const std::string out = dir.File("console.txt");
  std::fflush(stdout);
  const int saved = dup(1);
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(fd, 1);
  close(fd);
  load();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  return qvtest::ReadText(out);
}

std::string Atoms(int count, int from, bool md2) {
  std::string s;
  char line[96];
  for (int i = 0; i < count; ++i) {
    const int a = from + i;
    std::snprintf(line, sizeof line, "%s%s %.6f %.5e\t%d\n", md2 ? "7 " : "", a % 3 ? "Si" : "o",
                  a * 0.37 - 11, -a * 1.5e-3, a % 17);
    s += line;
  }
  return s;
}

// md3 beside the counted formats: the same comparison drives both loaders.
enum class Format { kXyz, kMd2, kMd3 };

const char* Name(Format f) { return f == Format::kXyz ? "xyz" : f == Format::kMd2 ? "md2" : "md3"; }

struct Case {
  const char* name;
  Format format;
  std::string text;
};

std::string Md3Atoms(int count, int from) {
  std::string s;
  char line[128];
  for (int i = 0; i < count; ++i) {
    const int a = from + i;
    std::snprintf(line, sizeof line, "%4s   %15.8f  %15.8f  %15.8f\n", a % 3 ? "Si" : "O", a * 0.37 - 11, -a * 1.5e-3,
                  a % 17 * 1.0);
    s += line;
  }
  return s;
}

std::vector<Case> Md3Cases() {
  std::string many;
  for (int k = 0; k < 40; ++k) {
    many += std::to_string(30 + k) + "\nframe = " + std::to_string(k) + "\n";
    if (k % 3 == 0) many += "BOX " + std::to_string(10 + k) + " 0 0 0 11 0 0 0 12\n";  // the others keep it
    many += Md3Atoms(10, k) + "# a comment between atoms\n" + Md3Atoms(15 + k, k) + "STRESS 1 2 3 4 5 6 7 8 9\n" +
            Md3Atoms(5, 0);
  }
  const std::string one = "2\nt\n" + Md3Atoms(2, 0);
  return {
      {"many frames across windows", Format::kMd3, many},
      {"blank line ends the file, CRLF, tabs, no final line end", Format::kMd3,
       "2\r\nt\r\n\tH\t1\t2\t3\r\nO 1.5x abc\n3\nt2\n" + Md3Atoms(3, 4) + "\n2\nnever\n"},
      {"no final line end", Format::kMd3, "2\nt\nH 1 2 3\nO 4 5 6"},
      {"long lines and odd symbols", Format::kMd3,
       "3\nt\nH 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25\n* 1 2 3\n-5 7 8 9\n"},
      {"truncated last frame", Format::kMd3, many + "50\nlast\n" + Md3Atoms(20, 0)},
      {"too few atoms before the next count", Format::kMd3, one + "3\nt\nH 0 0 0\n2\nt\nH 0 0 0\nH 0 0 0\n"},
      {"too many atom lines", Format::kMd3, one + "1\nt\nH 0 0 0\nH 1 1 1\n" + one},
      {"count zero after a frame", Format::kMd3, one + "0\nt\n"},
      {"more atoms than bytes", Format::kMd3, one + "900\nt\nH 0 0 0\n"},
      {"no title", Format::kMd3, one + "4"},
      {"not finite values", Format::kMd3, "2\nt\nBOX 1e999 0 0 0 nan 0 0 0 1\nH nan 1e999 2\nO 1 -inf 3\n"},
      {"too long atom line", Format::kMd3, many + "5\nt\n" + Md3Atoms(2, 0) + "H " + std::string(400, '1') + "\n"},
      {"too long title", Format::kMd3, one + "1\n" + std::string(300, 't') + "\nH 1 1 1\n"},
      {"first line no count", Format::kMd3, "x\nt\nH 1 2 3\n"},
      {"empty", Format::kMd3, ""},
  };
}

std::vector<Case> Cases() {
  std::vector<Case> cases = Md3Cases();
  for (Format f : {Format::kXyz, Format::kMd2}) {
    const bool md2 = f == Format::kMd2;
    std::string many;
    for (int k = 0; k < 40; ++k) many += std::to_string(30 + k) + "\nframe " + std::to_string(k) + "\n" + Atoms(30 + k, k, md2);
    cases.push_back({"many frames across windows", f, many});
    cases.push_back({"blank lines, CRLF, no final line end", f,
                     "\n  \n2\r\ntitle\r\n" + Atoms(2, 0, md2) + "\n\n3\nt2\n" + Atoms(2, 5, md2) + "H 1 2 3"});
    cases.push_back({"truncated last frame", f, many + "50\nlast\n" + Atoms(20, 0, md2)});
    cases.push_back({"no title", f, "2\nA\n" + Atoms(2, 0, md2) + "4"});
    cases.push_back({"count that is no number", f, many + "x1\nt\n"});
    cases.push_back({"count not positive", f, "1\nt\n" + Atoms(1, 0, md2) + "-3\nt\n"});
    cases.push_back({"more atoms than bytes", f, "1\nt\n" + Atoms(1, 0, md2) + "900\nt\nH 0 0 0\n"});
    cases.push_back({"not finite values", f, "3\nt\n" + std::string(md2 ? "1 " : "") + "H nan 1e999 2\n" +
                                                 Atoms(1, 0, md2) + std::string(md2 ? "x H 1 1 1\n" : "H inf\n")});
    cases.push_back({"too long atom line", f, many + "5\nt\n" + Atoms(2, 0, md2) + "H " + std::string(400, '1') + "\n" + Atoms(2, 0, md2)});
    cases.push_back({"too long count line", f, many + std::string(300, ' ') + "3\nt\n"});
    cases.push_back({"empty", f, ""});
    cases.push_back({"extended titles", f,
                     "2\nLattice=\"4 0 0 1 5 0 0.5 0.5 6\" Origin=\"-1 -2 -3\" Properties=id:I:1:pos:R:3:species:S:1\n"
                     "7 0.5 1.5 2.5 Cu\n8 1 2 3 O\n"
                     "1\nlattice=\"1 2 3\" properties=species:S:1:pos:R:3\nNa 1 1 1\n"
                     "1\nProperties=species:S:1:vel:R:3\nH 1 1 1\n"});
  }
  return cases;
}

// The serial reader of a format, with the parallel loader's line limit: its return code.
int LoadSerial(const Case& c, const std::string& path, const float box[9], qv::FrameList& frames, int& largest) {
  if (c.format == Format::kMd3) {
    vrk::MD3_Reader2<float> reader(kLineLimit);
    if (reader.Open(path.c_str()) != 0) return -1;
    return qv::LoadMd3Frames(reader, frames);
  }
  qv::LineReader lines(kLineLimit);
  if (!lines.Open(path)) return -1;
  const auto f = c.format == Format::kXyz ? qv::TextFormat::kXyz : qv::TextFormat::kMd2;
  return qv::LoadTextFrames(lines, f, box, frames, largest);
}

int LoadParallel(const Case& c, const std::string& path, const float box[9], qv::FrameList& frames, int& largest,
                 const qv::ParallelTextOptions& options) {
  if (c.format == Format::kMd3) return qv::LoadMd3FramesParallel(path, frames, options);
  const auto f = c.format == Format::kXyz ? qv::TextFormat::kXyz : qv::TextFormat::kMd2;
  return qv::LoadCountedFramesParallel(path, f, box, frames, largest, options);
}

// The parallel loaders against the serial readers on the same files, with windows so small
// that frames and lines straddle them, on one thread and on several.
TEST(ParallelText, SameFramesAndConsoleLinesAsTheSerialReader) {
  qvtest::TempDir dir;
  const float box[9] = {9, 0, 0, 0, 8, 0, 0, 0, 7};
  std::string consoles;  // every serial message, to show that the cases reach each one
  for (const Case& c : Cases()) {
    SCOPED_TRACE(std::string(c.name) + " " + Name(c.format));
    const std::string path = dir.File("input.txt");
    qvtest::WriteText(path, c.text);
    qv::FrameList serial;
    int serialLargest = 3;
    int serialRc = -2;
    const std::string serialConsole =
        Captured(dir, [&] { serialRc = LoadSerial(c, path, box, serial, serialLargest); });
    const std::string expected = Describe(serial, serialLargest, serialConsole);
    consoles += serialConsole;
    for (int threads : {1, 3}) {
      for (size_t window : {size_t{0}, size_t{1} << 20}) {
        qv::FrameList parallel;
        int largest = 3;
        int rc = -2;
        qv::ParallelTextOptions options;
        options.threads = threads;
        options.windowBytes = window;
        options.lineLimit = kLineLimit;
        const std::string console = Captured(dir, [&] { rc = LoadParallel(c, path, box, parallel, largest, options); });
        EXPECT_EQ(rc, serialRc);
        if (rc == 0) {
          EXPECT_EQ(expected, Describe(parallel, largest, console)) << threads << " threads, window " << window;
        }
      }
    }
  }
  for (const char* m : {"longer than", "ends after", "not finite", "no title", "holds no atom count",
                        "is not positive", "bytes left", "is not nine numbers", "has no pos:R:3",
                        "more atom lines than its count", "the count after frame 0 is 0",
                        "more than the rest of the file"}) {
    EXPECT_NE(consoles.find(m), std::string::npos) << m;
  }
}

TEST(ParallelText, LeavesWhatIsNoRegularFileToTheSerialReader) {
  qvtest::TempDir dir;
  const float box[9] = {};
  qv::FrameList frames;
  int largest = 0;
  EXPECT_EQ(qv::LoadCountedFramesParallel(dir.File("missing.xyz"), qv::TextFormat::kXyz, box, frames, largest), -1);
  EXPECT_EQ(qv::LoadCountedFramesParallel(dir.path().string(), qv::TextFormat::kXyz, box, frames, largest), -1);
  EXPECT_TRUE(frames.empty());
}

}  // namespace
