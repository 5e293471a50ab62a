#pragma once
// A hash map from 64-bit particle ids to small values, with open addressing: replaying a
// record file inserts and deletes millions of ids, and the standard node-based map would
// allocate for every insertion. Clear() keeps the table, so a replay into a map that has
// held as many ids before allocates nothing.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

template <class V>
class IdMap {
 public:
  size_t Size() const { return size_; }
  size_t Capacity() const { return keys_.size(); }

  void Clear() {
    if (size_ == 0) return;
    std::fill(used_.begin(), used_.end(), uint8_t{0});
    size_ = 0;
  }

  // Room for n ids without growing.
  void Reserve(size_t n) {
    size_t want = 16;
    while (want / 2 < n) want *= 2;
    if (want > keys_.size()) Rehash(want);
  }

  V* Find(int64_t key) {
    if (keys_.empty()) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      if (!used_[i]) return nullptr;
      if (keys_[i] == key) return &values_[i];
    }
  }
  const V* Find(int64_t key) const { return const_cast<IdMap*>(this)->Find(key); }

  // The value of key, inserted as `v` when absent; `inserted` says which.
  V& Insert(int64_t key, const V& v, bool& inserted) {
    if ((size_ + 1) * 2 > keys_.size()) Rehash(keys_.empty() ? 16 : keys_.size() * 2);
    size_t i = Home(key);
    for (; used_[i]; i = (i + 1) & mask_) {
      if (keys_[i] == key) {
        inserted = false;
        return values_[i];
      }
    }
    used_[i] = 1;
    keys_[i] = key;
    values_[i] = v;
    ++size_;
    inserted = true;
    return values_[i];
  }

  // Removes key when present; later entries of its probe run move back, so no tombstones
  // build up over a long replay.
  bool Erase(int64_t key) {
    if (keys_.empty()) return false;
    size_t i = Home(key);
    for (;; i = (i + 1) & mask_) {
      if (!used_[i]) return false;
      if (keys_[i] == key) break;
    }
    used_[i] = 0;
    --size_;
    for (size_t j = (i + 1) & mask_; used_[j]; j = (j + 1) & mask_) {
      const size_t home = Home(keys_[j]);
      // Entry j may fill the hole at i when its home does not lie cyclically in (i, j].
      const bool between = i < j ? (home > i && home <= j) : (home > i || home <= j);
      if (between) continue;
      keys_[i] = keys_[j];
      values_[i] = values_[j];
      used_[i] = 1;
      used_[j] = 0;
      i = j;
    }
    return true;
  }

  // Calls f(key, value) for every entry, in table order.
  template <class F>
  void ForEach(F f) const {
    for (size_t i = 0; i < keys_.size(); ++i) {
      if (used_[i]) f(keys_[i], values_[i]);
    }
  }

 private:
  size_t Home(int64_t key) const {
    uint64_t z = static_cast<uint64_t>(key) + 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return static_cast<size_t>(z ^ (z >> 31)) & mask_;
  }

  void Rehash(size_t capacity) {
    std::vector<int64_t> keys(capacity);
    std::vector<V> values(capacity);
    std::vector<uint8_t> used(capacity, 0);
    keys.swap(keys_);
    values.swap(values_);
    used.swap(used_);
    mask_ = capacity - 1;
    size_ = 0;
    bool inserted = false;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (used[i]) Insert(keys[i], values[i], inserted);
    }
  }

  std::vector<int64_t> keys_;
  std::vector<V> values_;
  std::vector<uint8_t> used_;
  size_t mask_ = 0;
  size_t size_ = 0;
};

}  // namespace qv
