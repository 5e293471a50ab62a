// The binary multi-frame field file: "BINFIELD", 8 reserved bytes, then per frame three
// 64-bit grid sizes, three double spacings and nx*ny*nz double values, little-endian.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "auxdata/field/Field3DLoader.h"

static_assert(std::endian::native == std::endian::little, "bif files are little-endian");

namespace {

class File {
 public:
  explicit File(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {
    if (!f_) return;
    if (fseeko(f_, 0, SEEK_END) == 0) size_ = ftello(f_);
    if (size_ < 0 || fseeko(f_, 0, SEEK_SET) != 0) size_ = 0;
  }
  ~File() {
    if (f_) std::fclose(f_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const { return f_ != nullptr; }
  int64_t Left() const { return size_ - pos_; }
  bool Read(void* out, size_t bytes) {
    const size_t got = std::fread(out, 1, bytes, f_);
    pos_ += static_cast<int64_t>(got);
    return got == bytes;
  }

 private:
  std::FILE* f_;
  int64_t size_ = 0;
  int64_t pos_ = 0;
};

// Values are converted in slices of this many, so no frame needs its raw values in memory.
constexpr size_t kSlice = size_t{1} << 20;

}  // namespace

int BIF_Reader::Read(const std::string& path, Field3DLoader& loader) {
  const char* name = path.c_str();
  File file(path);
  if (!file.IsOpen()) {
    std::printf("error: file cannot be opened\n%s\n", name);
    return -1;
  }
  char head[16];
  if (file.Left() < 16 || !file.Read(head, 16) || std::memcmp(head, "BINFIELD", 8) != 0) {
    std::printf("%s: not a binary field file (it does not begin with BINFIELD)\n", name);
    return -2;
  }
  std::vector<double> values;
  for (int frameNo = 0;; ++frameNo) {
    if (file.Left() < 8) break;
    int64_t n[3];
    if (!file.Read(&n[0], 8)) break;
    if (n[0] <= 0) break;
    double d[3];
    if (file.Left() < 40 || !file.Read(&n[1], 16) || !file.Read(d, 24)) {
      std::printf("%s: frame %d: the header is cut short; reading stops\n", name, frameNo);
      break;
    }
    if (n[1] <= 0 || n[2] <= 0) {
      std::printf("%s: frame %d: grid %lld x %lld x %lld is not positive; reading stops\n", name,
                  frameNo, static_cast<long long>(n[0]), static_cast<long long>(n[1]),
                  static_cast<long long>(n[2]));
      break;
    }
    if (!std::isfinite(d[0]) || !std::isfinite(d[1]) || !std::isfinite(d[2])) {
      std::printf("%s: frame %d: a grid spacing is not finite; reading stops\n", name, frameNo);
      break;
    }
    // Each size is positive, so the product can be bounded one factor at a time.
    const int64_t limit = Field3DLoader::kMaxCells;
    if (n[0] > limit || n[1] > limit / n[0] || n[2] > limit / (n[0] * n[1])) {
      std::printf("%s: frame %d: grid %lld x %lld x %lld has more than %lld cells; reading stops\n",
                  name, frameNo, static_cast<long long>(n[0]), static_cast<long long>(n[1]),
                  static_cast<long long>(n[2]), static_cast<long long>(limit));
      break;
    }
    const int64_t cells = n[0] * n[1] * n[2];
    if (cells > file.Left() / 8) {
      std::printf("%s: frame %d: %lld values do not fit in the %lld bytes left; reading stops\n",
                  name, frameNo, static_cast<long long>(cells),
                  static_cast<long long>(file.Left()));
      break;
    }
    auto frame = std::make_unique<FieldFrame>();
    frame->nx = static_cast<int32_t>(n[0]);
    frame->ny = static_cast<int32_t>(n[1]);
    frame->nz = static_cast<int32_t>(n[2]);
    frame->cells.resize(4 * static_cast<size_t>(cells));
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    bool ok = true;
    for (int64_t done = 0; done < cells;) {
      const size_t take = static_cast<size_t>(std::min<int64_t>(cells - done, kSlice));
      values.resize(take);
      if (!file.Read(values.data(), take * 8)) {
        ok = false;
        break;
      }
      uint8_t* out = frame->cells.data() + 4 * static_cast<size_t>(done);
      for (size_t i = 0; i < take; ++i) {
        const double v = values[i];
        if (v < lo) lo = v;
        if (v > hi) hi = v;
        qv::FieldColor(v, out + 4 * i);
      }
      done += static_cast<int64_t>(take);
    }
    if (!ok) {
      std::printf("%s: frame %d: the values could not be read; reading stops\n", name, frameNo);
      break;
    }
    frame->valueMin = lo <= hi ? lo : 0;
    frame->valueMax = lo <= hi ? hi : 0;
    frame->box[0] = n[0] * d[0];
    frame->box[4] = n[1] * d[1];
    frame->box[8] = n[2] * d[2];
    loader.AddFrame(std::move(frame));
  }
  if (loader.FrameCount() == 0) {
    std::printf("%s: the file holds no frame\n", name);
    return -3;
  }
  std::printf("%d frame loaded\n", loader.FrameCount());
  return 0;
}
