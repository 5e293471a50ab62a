#include "data/md3/MD3.h"

#include <cmath>
#include <cstring>

#include "data/ElementTable.h"
#include "data/text/NumberScan.h"

namespace vrk {

template <class T>
int MD3_Reader2<T>::Open(const char* path) {
  if (open_ || !path) return -1;
  if (!lines_.Open(path)) return -1;
  open_ = true;
  return ReadFirstCount();
}

template <class T>
int MD3_Reader2<T>::OpenMemory(std::string_view text) {
  if (open_) return -1;
  lines_.OpenMemory(text);
  open_ = true;
  return ReadFirstCount();
}

template <class T>
int MD3_Reader2<T>::ReadFirstCount() {
  std::string_view line;
  count_ = 0;
  if (!lines_.Next(line)) return -1;
  int n = 0;
  if (!qv::scan::Int(line.data(), line.data() + line.size(), n) || n <= 0) return -1;
  count_ = n;
  return 0;
}

template <class T>
void MD3_Reader2<T>::ResetDestinations() {
  numbers_ = nullptr;
  pos_.Clear();
  vec2_.Clear();
  vec3_.Clear();
  box_ = nullptr;
  title_ = nullptr;
  stress_ = nullptr;
}

template <class T>
T MD3_Reader2<T>::Value(double v) {
  const T t = static_cast<T>(v);
  if (!std::isfinite(t)) {
    ++nonFinite_;
    return T(0);
  }
  return t;
}

// Numbers are taken word by word: a word that is not a number gives 0, a missing word 0.
template <class T>
void MD3_Reader2<T>::ReadNine(const char* p, const char* e, T* dest) {
  for (int k = 0; k < 9; ++k) {
    double v = 0;
    const char* q = qv::scan::Real(p, e, v);
    if (!q) v = 0;
    dest[k] = Value(v);
    p = qv::scan::SkipWord(q ? q : qv::scan::SkipSpace(p, e), e);
  }
}

template <class T>
void MD3_Reader2<T>::ReadTriple(const char*& p, const char* e, const MD3Triple<T>& d, int i) {
  T* out[3] = {d.x + static_cast<ptrdiff_t>(i) * d.stride, d.y + static_cast<ptrdiff_t>(i) * d.stride,
               d.z + static_cast<ptrdiff_t>(i) * d.stride};
  for (int k = 0; k < 3; ++k) {
    double v = 0;
    const char* q = qv::scan::Real(p, e, v);
    if (!q) v = 0;
    *out[k] = Value(v);
    p = qv::scan::SkipWord(q ? q : qv::scan::SkipSpace(p, e), e);
  }
}

template <class T>
void MD3_Reader2<T>::ZeroFrom(int i) {
  for (int k = i; k < count_; ++k) {
    if (numbers_) numbers_[k] = 0;
    for (const MD3Triple<T>* d : {&pos_, &vec2_, &vec3_}) {
      if (!d->Set()) continue;
      d->x[static_cast<ptrdiff_t>(k) * d->stride] = 0;
      d->y[static_cast<ptrdiff_t>(k) * d->stride] = 0;
      d->z[static_cast<ptrdiff_t>(k) * d->stride] = 0;
    }
  }
}

template <class T>
int MD3_Reader2<T>::ReadFrame() {
  std::string_view line;
  atomsRead_ = 0;
  nonFinite_ = 0;
  if (!open_ || !lines_.Next(line)) {
    count_ = 0;
    return 0;
  }
  if (title_) {
    title_->assign(line);
    if (lines_.HadNewline()) title_->push_back('\n');
  }
  const int n = count_;
  int pending = kMD3End;
  int i = 0;
  while (lines_.Next(line)) {
    const char* p = line.data();
    const char* e = p + line.size();
    const std::string_view w = qv::scan::Word(p, e);
    if (w.empty()) break;
    if (w[0] == '#') continue;
    if (w == "BOX") {
      if (box_) ReadNine(p, e, box_);
      continue;
    }
    if (w[0] >= '0' && w[0] <= '9') {
      int next = 0;
      qv::scan::Int(w.data(), w.data() + w.size(), next);
      pending = next;
      break;
    }
    if (w == "STRESS") {
      if (stress_) ReadNine(p, e, stress_);
      continue;
    }
    if (i >= n) {
      pending = kMD3TooManyAtoms;
      break;
    }
    if (numbers_) numbers_[i] = qv::AtomicNumberOf(w);
    if (pos_.Set()) {
      ReadTriple(p, e, pos_, i);
    } else {
      for (int k = 0; k < 3; ++k) qv::scan::Word(p, e);
    }
    if (vec2_.Set()) {
      ReadTriple(p, e, vec2_, i);
    } else if (vec3_.Set()) {
      for (int k = 0; k < 3; ++k) qv::scan::Word(p, e);
    }
    if (vec3_.Set()) ReadTriple(p, e, vec3_, i);
    ++i;
  }
  atomsRead_ = i;
  if (i < n) {
    ZeroFrom(i);
    count_ = kMD3TooFewAtoms;
  } else {
    count_ = pending;
  }
  return ++frames_;
}

template <class T>
int MD3_Writer2<T>::Open(const char* path) {
  if (file_ || !path) return -1;
  file_ = std::fopen(path, "w");
  return file_ ? 0 : -1;
}

template <class T>
void MD3_Writer2<T>::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

template <class T>
int MD3_Writer2<T>::WriteFrame() {
  if (!file_ || (count_ > 0 && !pos_.Set())) return -1;
  std::fprintf(file_, "%d\n", count_);
  if (title_) {
    std::fprintf(file_, "%s\n", title_);
  } else {
    std::fprintf(file_, "frame = %d\n", frames_);
  }
  static const T kDefaultBox[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  const T* b = box_ ? box_ : kDefaultBox;
  std::fprintf(file_,
               "BOX   %15.8f  %15.8f  %15.8f  %15.8f  %15.8f  %15.8f  %15.8f  %15.8f  %15.8f\n",
               double(b[0]), double(b[1]), double(b[2]), double(b[3]), double(b[4]), double(b[5]),
               double(b[6]), double(b[7]), double(b[8]));
  auto at = [](const MD3Triple<T>& d, int i, int k) {
    const T* base = k == 0 ? d.x : (k == 1 ? d.y : d.z);
    return double(base[static_cast<ptrdiff_t>(i) * d.stride]);
  };
  for (int i = 0; i < count_; ++i) {
    // Numbers outside the table become a symbol no reader knows, so they stay unknown.
    const char* sym = qv::ElementSymbolOrUnknown(numbers_ ? numbers_[i] : -1);
    std::fprintf(file_, "%4s   %15.8f  %15.8f  %15.8f", sym, at(pos_, i, 0), at(pos_, i, 1),
                 at(pos_, i, 2));
    if (vec2_.Set()) {
      std::fprintf(file_, "  %15.8f  %15.8f  %15.8f", at(vec2_, i, 0), at(vec2_, i, 1),
                   at(vec2_, i, 2));
    } else if (vec3_.Set()) {
      std::fputs("  0.0  0.0  0.0", file_);
    }
    if (vec3_.Set()) {
      std::fprintf(file_, "  %15.8f  %15.8f  %15.8f\n", at(vec3_, i, 0), at(vec3_, i, 1),
                   at(vec3_, i, 2));
    } else {
      std::fputc('\n', file_);
    }
  }
  return ++frames_;
}

template class MD3_Reader2<float>;
template class MD3_Writer2<float>;
template class MD3_Reader2<double>;
template class MD3_Writer2<double>;

}  // namespace vrk
