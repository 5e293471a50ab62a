#include "data/fa2/FA2_Writer.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kChunkAtoms = 16384;
}

bool FA2_Writer::WriteTriple(const FA2_Triple& t, size_t n) {
  if (t.xyz) return file_.Write(t.xyz, n * 3 * sizeof(float));
  scratch_.resize(kChunkAtoms * 3 * sizeof(float));
  float* buf = reinterpret_cast<float*>(scratch_.data());
  for (size_t done = 0; done < n;) {
    const size_t k = std::min(kChunkAtoms, n - done);
    for (size_t i = 0; i < k; ++i) {
      buf[3 * i] = t.x[done + i];
      buf[3 * i + 1] = t.y[done + i];
      buf[3 * i + 2] = t.z[done + i];
    }
    if (!file_.Write(buf, k * 3 * sizeof(float))) return false;
    done += k;
  }
  return true;
}

int FA2_Writer::WriteFrame(const FA2_Frame& f) {
  if (!file_.IsOpen()) return -1;
  if (f.atomCount <= 0) return -4;
  const size_t n = static_cast<size_t>(f.atomCount);
  unsigned char header[32] = {};
  std::memcpy(header, &f.atomCount, 4);
  std::memcpy(header + 4, &frames_, 4);  // the frame counter
  header[8] = f.hasBox ? 4 : 0;
  header[9] = f.atomicNumbers ? 1 : 0;
  header[10] = f.tags ? 4 : 0;
  header[11] = f.positions.Given() ? 4 : 0;
  header[12] = f.vectors.Given() ? 4 : 0;
  header[13] = f.thirdVectors.Given() ? 4 : 0;
  bool ok = file_.Write(header, sizeof header);
  if (ok && f.hasBox) ok = file_.Write(f.box, sizeof f.box);
  if (ok && f.atomicNumbers) {
    scratch_.resize(kChunkAtoms);
    for (size_t done = 0; ok && done < n;) {
      const size_t k = std::min(kChunkAtoms, n - done);
      for (size_t i = 0; i < k; ++i) {
        scratch_[i] = static_cast<unsigned char>(f.atomicNumbers[done + i] & 0xFF);
      }
      ok = file_.Write(scratch_.data(), k);
      done += k;
    }
  }
  if (ok && f.tags) ok = file_.Write(f.tags, n * sizeof(int32_t));
  if (ok && f.positions.Given()) ok = WriteTriple(f.positions, n);
  if (ok && f.vectors.Given()) ok = WriteTriple(f.vectors, n);
  if (ok && f.thirdVectors.Given()) ok = WriteTriple(f.thirdVectors, n);
  if (!ok) return -3;
  return ++frames_;
}
