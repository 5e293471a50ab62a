#pragma once
// Loading of the xyz, md, md2 and md3 formats with the parse spread over several threads:
// one thread finds the frames and their atom lines (a cheap scan for line ends), and every
// thread parses runs of atom lines straight into the frames' arrays. The frames, their
// contents and every console line are those of the serial readers, in the same order.
#include <cstddef>
#include <functional>
#include <string>

#include "data/AtomsData.h"
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

// Runs task(0) ... task(count - 1) on up to `threads` threads (the caller's among them).
void RunParallel(int threads, size_t count, const std::function<void(size_t)>& task);

}  // namespace qv
