#pragma once
#include <functional>
#include <string>
#include <vector>

#include "data/LawData.h"
#include "data/LoadOptions.h"

// The program-wide list of opened data sets. The first entry is the primary data set.
class DataSetList {
 public:
  // Picks a container by the path's extension (case-sensitive) and appends an entry when
  // the file yields data. Always returns 1; callers look at Size() to see what happened.
  int OpenDataFile(const std::string& path, const LoadOptions& options);

  // Asks every entry to go to the target frame in list order and returns the largest
  // index reached. For trajectories whose frame changed, records the traced atom's
  // position (tracedAtom < 0: none) and then calls onFrameChanged (pressure colouring).
  int SetFrameAll(int target, int tracedAtom,
                  const std::function<void(LawData&, ATOMS_DATA&)>& onFrameChanged = {});

  // Size and centre of the first entry's box; false (nothing written) when empty.
  bool GetViewBounds(double& size, double centre[3]) const;

  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  LawData& operator[](size_t i) { return entries_[i]; }
  const LawData& operator[](size_t i) const { return entries_[i]; }
  LawData* First() { return entries_.empty() ? nullptr : &entries_.front(); }
  const LawData* First() const { return entries_.empty() ? nullptr : &entries_.front(); }
  std::vector<LawData>& Entries() { return entries_; }
  void Append(LawData entry) { entries_.push_back(std::move(entry)); }

 private:
  std::vector<LawData> entries_;
};

namespace qv {
// Absolute, lexically normal form of a path (the long form of the Windows original).
std::string LongPath(const std::string& path);
// Fills type-independent fields of an entry from its path.
LawData MakeEntry(int32_t type, const std::string& longPath, std::shared_ptr<IDataContainer> c);
// The path with everything from its last '.' removed: base of every output file name.
std::string BaseName(const std::string& path);
}  // namespace qv
