#pragma once
// The md3 trajectory format: a count line, a title line, then BOX, STRESS, comment and atom
// lines in any order until the next count line, a blank line or the end of the file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace vrk {

// Status values left in the count after a frame (a positive value is the next frame's count).
enum MD3Status : int {
  kMD3End = -2,          // end of file, or a blank line after a complete frame
  kMD3TooFewAtoms = -3,  // the frame ended before its count of atom lines
  kMD3TooManyAtoms = -4  // an atom line beyond the count; nothing after it is read
};

// Where a triple per atom goes: one interleaved array or three separate ones.
template <class T>
struct MD3Triple {
  T* x = nullptr;
  T* y = nullptr;
  T* z = nullptr;
  int stride = 0;
  bool Set() const { return x != nullptr; }
  void Interleaved(T* xyz) { x = xyz, y = xyz + 1, z = xyz + 2, stride = 3; }
  void Separate(T* px, T* py, T* pz) { x = px, y = py, z = pz, stride = 1; }
  void Clear() { *this = MD3Triple{}; }
};

// The value md3 gives the next word of a line: the number the word begins with, 0 for a
// word that begins with none or a missing word; the word is used up whatever part of it the
// number takes. A value that is no finite T is stored as 0 and counted.
template <class T, class Words>
[[gnu::always_inline]] inline T MD3Value(Words& words, int& nonFinite) {
  std::string_view w;
  double v = 0;
  if (!words.NextDecimal(w, v) && !qv::scan::Real(w.data(), w.data() + w.size(), v)) v = 0;
  const T t = static_cast<T>(v);
  if (!std::isfinite(t)) {
    ++nonFinite;
    return T(0);
  }
  return t;
}

template <class T>
class MD3_Reader2 {
 public:
  // lineLimit: the longest line read (LineReader's buffer).
  explicit MD3_Reader2(size_t lineLimit = qv::LineReader::kDefaultBufferSize) : lines_(lineLimit) {}
  MD3_Reader2(const MD3_Reader2&) = delete;
  MD3_Reader2& operator=(const MD3_Reader2&) = delete;

  // Opens the file and reads the first count. 0 on success; -1 when a file is already
  // open, the file cannot be opened or the first line is not a positive count.
  int Open(const char* path);
  // The same over text in memory that outlives the reader.
  int OpenMemory(std::string_view text);

  void ResetDestinations();
  void SetAtomicNumbers(int32_t* z) { numbers_ = z; }
  void SetPositions(T* xyz) { pos_.Interleaved(xyz); }
  void SetPositions(T* x, T* y, T* z) { pos_.Separate(x, y, z); }
  void SetVectors2(T* xyz) { vec2_.Interleaved(xyz); }
  void SetVectors2(T* x, T* y, T* z) { vec2_.Separate(x, y, z); }
  void SetVectors3(T* xyz) { vec3_.Interleaved(xyz); }
  void SetVectors3(T* x, T* y, T* z) { vec3_.Separate(x, y, z); }
  void SetBox(T* box9) { box_ = box9; }
  void SetTitle(std::string* title) { title_ = title; }  // receives the line with its end
  void SetStress(T* stress9) { stress_ = stress9; }

  // Count of the frame about to be read, or the status left by the last frame.
  int GetCount() const { return count_; }
  // Reads one frame of GetCount() atoms. Returns 0 when not even the title line could be
  // read (the count becomes 0), else the number of frames read so far. Atoms the frame did
  // not supply are set to zero in every destination.
  int ReadFrame();

  // Atom lines the last frame supplied.
  int AtomsRead() const { return atomsRead_; }
  // Values of the last frame that were not finite numbers; they are stored as 0.
  int NonFiniteValues() const { return nonFinite_; }
  // Upper bound on the atom lines the rest of the file can hold.
  uint64_t MaxAtomsLeft() const { return lines_.BytesLeft() / 2 + 1; }
  const qv::LineReader& Lines() const { return lines_; }

 private:
  enum Line { kOther, kAtom, kEndOfFrame };

  int ReadFirstCount();
  // Over the words of one line: scan::LineWords, or scan::ByteWords for the lines it does
  // not take.
  template <class Words>
  void ReadNine(Words& words, T* dest);
  template <class Words>
  void ReadTriple(Words& words, const MD3Triple<T>& d, int i);
  template <class Words>
  Line ReadLine(Words& words, int i, int& pending);
  void ZeroFrom(int i);

  qv::LineReader lines_;
  bool open_ = false;
  int count_ = 0;
  int frames_ = 0;
  int atomsRead_ = 0;
  int nonFinite_ = 0;
  int32_t* numbers_ = nullptr;
  MD3Triple<T> pos_, vec2_, vec3_;
  T* box_ = nullptr;
  std::string* title_ = nullptr;
  T* stress_ = nullptr;
};

template <class T>
class MD3_Writer2 {
 public:
  MD3_Writer2() = default;
  ~MD3_Writer2() { Close(); }
  MD3_Writer2(const MD3_Writer2&) = delete;
  MD3_Writer2& operator=(const MD3_Writer2&) = delete;

  int Open(const char* path);  // text mode "w"; 0, or -1 when it cannot be created
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  void SetCount(int n) { count_ = n; }
  void SetAtomicNumbers(const int32_t* z) { numbers_ = z; }
  void SetPositions(const T* xyz) { pos_.Interleaved(const_cast<T*>(xyz)); }
  void SetPositions(const T* x, const T* y, const T* z) {
    pos_.Separate(const_cast<T*>(x), const_cast<T*>(y), const_cast<T*>(z));
  }
  void SetVectors2(const T* xyz) { vec2_.Interleaved(const_cast<T*>(xyz)); }
  void SetVectors2(const T* x, const T* y, const T* z) {
    vec2_.Separate(const_cast<T*>(x), const_cast<T*>(y), const_cast<T*>(z));
  }
  void SetVectors3(const T* xyz) { vec3_.Interleaved(const_cast<T*>(xyz)); }
  void SetVectors3(const T* x, const T* y, const T* z) {
    vec3_.Separate(const_cast<T*>(x), const_cast<T*>(y), const_cast<T*>(z));
  }
  void SetBox(const T* box9) { box_ = box9; }
  void SetTitle(const char* title) { title_ = title; }
  void ClearVectors() { vec2_.Clear(), vec3_.Clear(); }

  // Appends one frame. -1 when no file is open, else the number of frames written.
  int WriteFrame();

 private:
  FILE* file_ = nullptr;
  int count_ = 0;
  int frames_ = 0;
  const int32_t* numbers_ = nullptr;
  MD3Triple<T> pos_, vec2_, vec3_;
  const T* box_ = nullptr;
  const char* title_ = nullptr;
};

extern template class MD3_Reader2<float>;
extern template class MD3_Writer2<float>;
extern template class MD3_Reader2<double>;
extern template class MD3_Writer2<double>;

}  // namespace vrk
