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
template <class Words>
void MD3_Reader2<T>::ReadNine(Words& words, T* dest) {
  for (int k = 0; k < 9; ++k) dest[k] = MD3Value<T>(words, nonFinite_);
}

template <class T>
template <class Words>
void MD3_Reader2<T>::ReadTriple(Words& words, const MD3Triple<T>& d, int i) {
  const ptrdiff_t at = static_cast<ptrdiff_t>(i) * d.stride;
  d.x[at] = MD3Value<T>(words, nonFinite_);
  d.y[at] = MD3Value<T>(words, nonFinite_);
  d.z[at] = MD3Value<T>(words, nonFinite_);
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

// One line after the title: a comment, BOX, STRESS, the next count (ends the frame), a
// blank line (ends it too), or atom i.
template <class T>
template <class Words>
typename MD3_Reader2<T>::Line MD3_Reader2<T>::ReadLine(Words& words, int i, int& pending) {
  const std::string_view w = words.Next();
  if (w.empty()) return kEndOfFrame;
  if (w[0] == '#') return kOther;
  if (w == "BOX") {
    if (box_) ReadNine(words, box_);
    return kOther;
  }
  if (w[0] >= '0' && w[0] <= '9') {
    int next = 0;
    qv::scan::Int(w.data(), w.data() + w.size(), next);
    pending = next;
    return kEndOfFrame;
  }
  if (w == "STRESS") {
    if (stress_) ReadNine(words, stress_);
    return kOther;
  }
  if (i >= count_) {
    pending = kMD3TooManyAtoms;
    return kEndOfFrame;
  }
  if (numbers_) numbers_[i] = qv::AtomicNumberOf(w);
  if (pos_.Set()) {
    ReadTriple(words, pos_, i);
  } else {
    for (int k = 0; k < 3; ++k) words.Next();
  }
  if (vec2_.Set()) {
    ReadTriple(words, vec2_, i);
  } else if (vec3_.Set()) {
    for (int k = 0; k < 3; ++k) words.Next();
  }
  if (vec3_.Set()) ReadTriple(words, vec3_, i);
  return kAtom;
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
  for (;;) {
    // A line held whole in memory is classified in one pass that also finds its end.
    qv::scan::LineWords fast;
    const std::string_view held = lines_.Held();
    const char* nl;
    Line kind;
    if (fast.LoadLine(held.data(), held.data() + held.size(), nl)) {
      lines_.TakeLines(1, nl + 1);
      kind = ReadLine(fast, i, pending);
    } else {
      if (!lines_.Next(line)) break;
      const char* p = line.data();
      const char* e = p + line.size();
      if (fast.Load(p, e, lines_.BufferEnd())) {
        kind = ReadLine(fast, i, pending);
      } else {
        qv::scan::ByteWords slow(p, e);
        kind = ReadLine(slow, i, pending);
      }
    }
    if (kind == kEndOfFrame) break;
    if (kind == kAtom) ++i;
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
