#pragma once
// Loading of the xyz, md, md2 and md3 formats with the parse spread over several threads:
// one thread finds the frames and their atom lines (a cheap scan for line ends), and every
// thread parses runs of atom lines straight into the frames' arrays. The frames, their
// contents and every console line are those of the serial readers, in the same order.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "data/AtomsData.h"
#include "data/text/NumberScan.h"
#include "data/text/TextFrames.h"
#include "data/text/TextWindow.h"

namespace qv {

struct ParallelTextOptions {
  int threads = 0;                        // 0: the machine's cores, at most 8
  size_t windowBytes = size_t{8} << 20;   // text held in memory at once
  size_t lineLimit = TextWindow::kLineLimit;
};

// The threads a load uses.
int ParallelTextThreads(const ParallelTextOptions& options);

// As LoadTextFrames(path, ...) for xyz, md and md2 (pdb is read serially). -1 when the path
// is not a regular file that can be opened: the caller then uses the serial reader, which
// tells a missing file from a pipe.
int LoadCountedFramesParallel(const std::string& path, TextFormat format, const float defaultBox[9],
                              FrameList& frames, int& largestAtomCount,
                              const ParallelTextOptions& options = {});

// As LoadMd3Frames(path, frames); -1 as above, or when the first line is no positive count.
int LoadMd3FramesParallel(const std::string& path, FrameList& frames,
                          const ParallelTextOptions& options = {});

// Calls line(k, begin, end, words) for each of the `count` lines from p, the last of which
// may end at `end` without a line end; words is a scan::LineWords where the line's bytes
// can be classified at once, else a scan::ByteWords.
template <class Line>
void ForEachLine(const char* p, const char* end, int64_t count, Line line) {
  for (int64_t k = 0; k < count; ++k) {
    scan::LineWords words;
    const char* nl;
    if (words.LoadLine(p, end, nl)) {
      line(k, p, nl, words);
    } else {
      nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (!nl) nl = end;
      if (words.Load(p, nl, end)) {
        line(k, p, nl, words);
      } else {
        scan::ByteWords slow(p, nl);
        line(k, p, nl, slow);
      }
    }
    p = nl + 1;
  }
}

// Runs task(0) ... task(count - 1) on up to `threads` threads (the caller's among them).
void RunParallel(int threads, size_t count, const std::function<void(size_t)>& task);

}  // namespace qv
