#include "data/text/ParallelText.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "data/Console.h"
#include "data/ElementTable.h"
#include "data/Prefault.h"
#include "data/md3/MD3.h"
#include "data/md3/MD3Load.h"
#include "data/text/ExtendedXyz.h"
#include "data/text/NumberScan.h"

namespace qv {
namespace {

// Lines per unit of parallel work: large enough to make the hand-out cheap, small enough
// that both threads finish a window together.
constexpr int64_t kRunLines = 16384;

bool Blank(std::string_view s) {
  return scan::SkipSpace(s.data(), s.data() + s.size()) == s.data() + s.size();
}

// One frame found by the scan; its console lines are printed once its atoms are parsed.
struct Plan {
  std::unique_ptr<ATOMS_DATA> frame;
  int frameNo = 0;
  int declared = 0;
  int64_t supplied = 0;
  int nonFinite = 0;
  XyzTitle title;  // an extended title's columns and box
  int status = 0;  // md3: how the frame ended (vrk::MD3Status, or the next count)
};

// A run of whole atom lines of one frame, starting at atom `first`.
struct Run {
  size_t plan;
  int64_t first;
  const char* begin;
  const char* end;
  int64_t lines;
  int nonFinite;
  Plan* target = nullptr;  // plans_[plan], read by the parse while the scan adds plans
};

// What the serial reader prints, in its order: text, or a frame's own report.
struct Output {
  std::string text;
  size_t plan = SIZE_MAX;
};

// The state shared by the scan and the parse of one load. While the window slides on, the
// runs found so far are parsed by helper threads as the scan goes on through the next
// window; the next drain joins them, and prints and hands over in the order of the scan.
class Load {
 public:
  Load(TextWindow& window, int threads, FrameList& frames)
      : window_(window), threads_(threads), frames_(frames) {
    window_.beforeMove = [this] { Drain(); };
    window_.beforeSlide = [this] { Drain(true); };
    window_.message = [this](const std::string& t) { Say(t); };
  }
  ~Load() {
    // Left by an error: the helpers finish their runs, and nothing more is handed over.
    for (std::thread& t : helpers_) t.join();
    window_.beforeMove = nullptr;
    window_.beforeSlide = nullptr;
    window_.message = nullptr;
    window_.Keep(nullptr);
  }

  void Say(std::string text) { output_.push_back(Output{std::move(text)}); }
  size_t Add(std::unique_ptr<Plan> plan) {
    plans_.push_back(std::move(plan));
    return plans_.size() - 1;
  }
  Plan& PlanAt(size_t k) { return *plans_[k]; }
  void Report(size_t plan) { output_.push_back(Output{std::string(), plan}); }
  void AddRun(Run r) {
    r.target = plans_[r.plan].get();
    runs_.push_back(r);
  }

  template <class Parse>
  void SetParser(Parse parse) {
    parse_ = parse;
  }
  // Parses every run found so far, then prints and hands over what is complete; with
  // `overlap`, the runs go to helper threads and this returns at once.
  void Drain(bool overlap = false) {
    Finish();
    batchRuns_.swap(runs_);
    batchOutput_.swap(output_);
    if (overlap && threads_ > 1 && !batchRuns_.empty()) {
      next_ = 0;
      window_.Keep(batchRuns_.front().begin);
      for (int h = 1; h < threads_; ++h) {
        try {
          helpers_.emplace_back([this] { ParseBatch(); });
        } catch (const std::system_error&) {
          break;  // without another thread the runs are parsed by this one, at the next drain
        }
      }
      inFlight_ = true;
      return;
    }
    RunParallel(threads_, batchRuns_.size(), [this](size_t k) { parse_(batchRuns_[k]); });
    Complete();
  }
  std::function<void(Plan&)> finish_;

 private:
  void ParseBatch() {
    for (size_t k; (k = next_.fetch_add(1, std::memory_order_relaxed)) < batchRuns_.size();) parse_(batchRuns_[k]);
  }
  // The batch in flight, if any: this thread takes the runs still left, then waits for the
  // helpers.
  void Finish() {
    if (!inFlight_) return;
    ParseBatch();
    for (std::thread& t : helpers_) t.join();
    helpers_.clear();
    inFlight_ = false;
    window_.Keep(nullptr);
    Complete();
  }
  void Complete() {
    for (const Run& r : batchRuns_) r.target->nonFinite += r.nonFinite;
    batchRuns_.clear();
    for (Output& o : batchOutput_) {
      if (o.plan == SIZE_MAX) {
        qv::ConsolePrint("%s", o.text.c_str());
        continue;
      }
      Plan& p = *plans_[o.plan];
      finish_(p);
      p.frame->index = static_cast<int32_t>(frames_.size());
      frames_.push_back(std::move(p.frame));
    }
    batchOutput_.clear();
  }

  TextWindow& window_;
  int threads_;
  FrameList& frames_;
  std::vector<std::unique_ptr<Plan>> plans_;
  std::vector<Run> runs_, batchRuns_;
  std::vector<Output> output_, batchOutput_;
  std::function<void(Run&)> parse_;
  std::vector<std::thread> helpers_;
  std::atomic<size_t> next_{0};
  bool inFlight_ = false;
};

// A frame's arrays are fresh: each thread maps the pages of its run's atoms in one call
// before it parses them, which costs less than a fault per page.
void PrefaultRun(int32_t* z, float* pos, int64_t lines) {
  Prefault(z, static_cast<size_t>(lines) * sizeof(int32_t));
  Prefault(pos, static_cast<size_t>(lines) * 3 * sizeof(float));
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  char text[512];
  va_list ap;
  va_start(ap, fmt);
  const int n = std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  return std::string(text, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof text - 1));
}

}  // namespace

int ParallelTextThreads(const ParallelTextOptions& options) {
  if (options.threads > 0) return std::min(options.threads, 64);
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 8u));
}

void RunParallel(int threads, size_t count, const std::function<void(size_t)>& task) {
  if (count == 0) return;
  const size_t helpers = std::min(static_cast<size_t>(std::max(threads, 1)), count) - 1;
  if (helpers == 0) {
    for (size_t k = 0; k < count; ++k) task(k);
    return;
  }
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < count;) task(k);
  };
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (size_t h = 0; h < helpers; ++h) {
    // Without another thread the work is still done, on this one.
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& t : pool) t.join();
}

int LoadCountedFramesParallel(const std::string& path, TextFormat format, const float defaultBox[9],
                              FrameList& frames, int& largestAtomCount,
                              const ParallelTextOptions& options) {
  if (format == TextFormat::kPdb) return -1;
  TextWindow window(options.windowBytes, options.lineLimit);
  if (!window.Open(path)) return -1;
  const char* name = TextFormatName(format);
  Load load(window, ParallelTextThreads(options), frames);
  load.SetParser([&load, format](Run& r) {
    const Plan& plan = *r.target;
    ATOMS_DATA& f = *plan.frame;
    int32_t* z = f.atomicNumbers.data() + r.first;
    float* pos = f.positions.data() + 3 * r.first;
    PrefaultRun(z, pos, r.lines);
    ForEachLine(r.begin, r.end, r.lines, [&](int64_t k, const char* p, const char* e, auto& words) {
      if (plan.title.extended) {
        ParseExtendedAtomLine(plan.title.columns, p, e, z[k], pos + 3 * k, r.nonFinite);
      } else if constexpr (std::is_same_v<std::decay_t<decltype(words)>, scan::LineWords>) {
        ParseCountedAtomLine(format, words, p, e, z[k], pos + 3 * k, r.nonFinite);
      } else {
        ParseCountedAtomLine(format, p, e, e, z[k], pos + 3 * k, r.nonFinite);
      }
    });
  });
  load.finish_ = [name](Plan& p) {
    if (p.supplied < p.declared) {
      qv::ConsolePrint("%s: frame %d ends after %d of its %d atoms; the missing atoms are set to 0\n", name,
                  p.frameNo, static_cast<int>(p.supplied), p.declared);
    }
    if (p.nonFinite > 0) {
      qv::ConsolePrint("%s: frame %d: %d coordinates that are not finite numbers were set to 0\n", name,
                  p.frameNo, p.nonFinite);
    }
  };

  int sequence = 1;
  for (;;) {
    std::string_view line;
    bool more = true;
    do {
      more = window.Next(line);
    } while (more && Blank(line));
    if (!more) break;
    int n = 0;
    if (!scan::Int(line.data(), line.data() + line.size(), n)) {
      load.Say(Format("%s: line %lld holds no atom count; reading stops\n", name,
                      static_cast<long long>(window.LineNumber())));
      break;
    }
    if (n <= 0) {
      load.Say(Format("%s: line %lld: atom count %d is not positive; reading stops\n", name,
                      static_cast<long long>(window.LineNumber()), n));
      break;
    }
    const int frameNo = sequence;
    std::string_view title;
    if (!window.Next(title)) {
      load.Say(Format("%s: frame %d has no title line; reading stops\n", name, frameNo));
      break;
    }
    if (static_cast<uint64_t>(n) > window.BytesLeft() / 2 + 1) {
      load.Say(Format("%s: frame %d declares %d atoms, more than the %llu bytes left can hold; "
                      "reading stops\n", name, frameNo, n,
                      static_cast<unsigned long long>(window.BytesLeft())));
      break;
    }
    auto plan = std::make_unique<Plan>();
    plan->frameNo = frameNo;
    plan->declared = n;
    plan->frame = std::make_unique<ATOMS_DATA>();
    ATOMS_DATA& f = *plan->frame;
    for (int k = 0; k < 9; ++k) f.box[k] = defaultBox[k];
    if (format == TextFormat::kXyz) {
      plan->title = ParseXyzTitle(title);
      ApplyXyzTitle(plan->title, f);
      if (!plan->title.problem.empty())
        load.Say(Format("%s: frame %d: %s; it is not used\n", name, frameNo, plan->title.problem.c_str()));
    }
    f.comment.emplace(title);
    if (window.HadNewline()) f.comment->push_back('\n');
    f.Allocate(n);
    f.sequence = sequence++;
    const size_t at = load.Add(std::move(plan));
    Plan& p = load.PlanAt(at);
    window.SkipLines(n, kRunLines, [&](const char* b, const char* e, int64_t lines) {
      load.AddRun(Run{at, p.supplied, b, e, lines, 0});
      p.supplied += lines;
    });
    if (p.supplied < n) {
      std::fill(f.atomicNumbers.begin() + p.supplied, f.atomicNumbers.end(), 0);
      std::fill(f.positions.begin() + 3 * p.supplied, f.positions.end(), 0.0f);
    }
    largestAtomCount = std::max(largestAtomCount, n);
    load.Report(at);
  }
  load.Drain();
  return 0;
}

int LoadMd3FramesParallel(const std::string& path, FrameList& frames, const ParallelTextOptions& options) {
  TextWindow window(options.windowBytes, options.lineLimit);
  if (!window.Open(path)) return -1;
  std::string_view line;
  int count = 0;
  if (!window.Next(line) || !scan::Int(line.data(), line.data() + line.size(), count) || count <= 0) return -1;
  Load load(window, ParallelTextThreads(options), frames);
  load.SetParser([&load](Run& r) {
    ATOMS_DATA& f = *r.target->frame;
    int32_t* z = f.atomicNumbers.data() + r.first;
    float* pos = f.positions.data() + 3 * r.first;
    PrefaultRun(z, pos, r.lines);
    ForEachLine(r.begin, r.end, r.lines, [&](int64_t k, const char*, const char*, auto& words) {
      z[k] = AtomicNumberOf(words.Next());
      for (int c = 0; c < 3; ++c) pos[3 * k + c] = vrk::MD3Value<float>(words, r.nonFinite);
    });
  });
  load.finish_ = [](Plan& p) {
    PrintMd3FrameEnd(p.frameNo, p.status, static_cast<int>(p.supplied), p.declared, p.nonFinite);
  };

  // The scan: frames and their lines in file order, as the serial reader meets them. Atom
  // lines that follow one another become runs parsed later on every thread; everything
  // else (counts, titles, BOX, comments) is read here.
  enum class State { kFrame, kTitle, kBody, kDone };
  State state = State::kFrame;
  float box[9] = {};  // a frame without BOX keeps the box of the frame before it
  size_t at = 0;
  int atoms = 0;
  int pending = vrk::kMD3End;
  const char* runBegin = nullptr;
  int64_t runLines = 0;
  int64_t runFirst = 0;
  const char* runEnd = nullptr;
  auto flush = [&] {
    if (runLines > 0) load.AddRun(Run{at, runFirst, runBegin, runEnd, runLines, 0});
    runLines = 0;
  };
  int planned = static_cast<int>(frames.size());  // frames whose title was read, as numbered
  // A count was read; bytesLeft follow its line.
  auto startFrame = [&](uint64_t bytesLeft) {
    if (static_cast<uint64_t>(count) > bytesLeft / 2 + 1) {
      load.Say(Md3DeclaresTooMany(planned, count));
      state = State::kDone;
      return;
    }
    state = State::kTitle;
  };
  auto endFrame = [&] {
    flush();
    Plan& p = load.PlanAt(at);
    ATOMS_DATA& f = *p.frame;
    if (atoms < count) {
      std::fill(f.atomicNumbers.begin() + atoms, f.atomicNumbers.end(), 0);
      std::fill(f.positions.begin() + 3 * static_cast<size_t>(atoms), f.positions.end(), 0.0f);
    }
    for (int k = 0; k < 9; ++k) f.box[k] = box[k];
    p.supplied = atoms;
    p.status = atoms < count ? vrk::kMD3TooFewAtoms : pending;
    load.Report(at);
    if (p.status > 0) {
      count = p.status;
      state = State::kFrame;
    } else {
      state = State::kDone;
    }
  };
  auto title = [&] {
    auto plan = std::make_unique<Plan>();
    plan->frameNo = planned;
    plan->declared = count;
    plan->frame = std::make_unique<ATOMS_DATA>();
    ATOMS_DATA& f = *plan->frame;
    f.Allocate(count);
    f.sequence = f.step = planned;
    at = load.Add(std::move(plan));
    ++planned;
    atoms = 0;
    pending = vrk::kMD3End;
    state = State::kBody;
  };
  // One line [p, e) of a frame after its title.
  auto body = [&](const char* p, const char* e) {
    const char* w = scan::SkipSpace(p, e);
    const char* we = scan::SkipWord(w, e);
    const std::string_view word(w, static_cast<size_t>(we - w));
    if (word.empty()) return endFrame();
    if (word[0] >= 'A' && word != "BOX" && word != "STRESS") {
      if (atoms >= count) {
        pending = vrk::kMD3TooManyAtoms;
        return endFrame();
      }
      if (runLines == 0) {
        runBegin = p;
        runFirst = atoms;
      }
      ++runLines;
      ++atoms;
      return;
    }
    flush();
    if (word[0] == '#' || word == "STRESS") return;
    if (word == "BOX") {
      scan::ByteWords words(we, e);
      Plan& plan = load.PlanAt(at);
      for (float& b : box) b = vrk::MD3Value<float>(words, plan.nonFinite);
      return;
    }
    if (word[0] >= '0' && word[0] <= '9') {
      int next = 0;
      scan::Int(word.data(), word.data() + word.size(), next);
      pending = next;
      return endFrame();
    }
    // Any other word is an atom's symbol too.
    if (atoms >= count) {
      pending = vrk::kMD3TooManyAtoms;
      return endFrame();
    }
    runBegin = p;
    runFirst = atoms;
    runLines = 1;
    ++atoms;
  };

  startFrame(window.BytesLeft());
  while (state != State::kDone) {
    constexpr int64_t kLinesPerPass = 4 * kRunLines;
    const int64_t passed = window.SkipLines(kLinesPerPass, kRunLines, [&](const char* b, const char* e, int64_t lines) {
      const uint64_t left = window.BytesLeft();  // from b on
      runEnd = e;
      const char* p = b;
      for (int64_t k = 0; k < lines && state != State::kDone; ++k) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(e - p)));
        const char* le = nl ? nl : e;
        const char* next = nl ? nl + 1 : e;
        if (state == State::kTitle) {
          title();
        } else if (state == State::kBody) {
          body(p, le);
          if (state == State::kFrame) startFrame(left - static_cast<uint64_t>(next - b));
        }
        p = next;
      }
      flush();  // a run never reaches past the lines handed out together
    });
    if (passed < kLinesPerPass) break;  // the end of the file, or a line that is too long
  }
  // The end of the input (or a line too long to read) ends the frame being read.
  if (state == State::kTitle) load.Say(Md3NoTitle(planned));
  if (state == State::kBody) endFrame();
  load.Drain();
  return 0;
}

}  // namespace qv
