#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "data/DataContainer.h"

enum DataTypeCode : int32_t {
  kTypeMD = 1,
  kTypeScattering = 2,
  kTypeScalarField = 3,
  kTypeLattice = 4,
  kTypePolygon = 5,
  kTypeGridPoints = 6,
  kTypeParticleEvents = 7,
};

// One entry of the data set list. Copies share the container.
class LawData {
 public:
  virtual ~LawData() = default;

  int32_t type = 0;
  std::string path;        // long (absolute, lexically normal) form of the opened path
  size_t nameOffset = 0;   // one past the last '/', 0 without one
  size_t extOffset = 0;    // one past the last '.', path.size() without one
  std::map<int32_t, std::array<float, 3>> trace;  // frame index -> traced atom position
  int32_t traceCount = 0;
  std::shared_ptr<IDataContainer> container;

  std::string_view Name() const { return std::string_view(path).substr(nameOffset); }
  std::string_view Extension() const { return std::string_view(path).substr(extOffset); }

  // Per-type operations; callers never cast the container themselves.
  bool GetBox(double box[9], double origin[3]) const;
  int SetFrame(int target);  // negative targets are taken as 0; returns the index reached
  ATOMS_DATA* CurrentAtoms() const;
  BOND_INFO* CurrentBonds() const;
  IMDContainer* MD() const;  // the container as a trajectory when type is 1, else null
};
