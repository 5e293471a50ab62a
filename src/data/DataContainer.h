#pragma once
#include "data/AtomsData.h"

// Abstract base of every data set container.
class IDataContainer {
 public:
  virtual ~IDataContainer() = default;
};

// Frames of atoms.
class IMDContainer : public IDataContainer {
 public:
  virtual int GetFrameIndex() const = 0;
  // Returns the index reached; every container clamps to its own range.
  virtual int SetFrame(int target) = 0;
  // The current frame, read back from the file if it was evicted; null when none.
  virtual ATOMS_DATA* GetCurrentFrame() = 0;
  // Writes nothing and returns false when the current frame is not resident.
  virtual bool GetBox(double box[9], double origin[3]) = 0;
  // The current frame's bonds, built on first request; null when the frame is not resident.
  virtual BOND_INFO* GetBonds() = 0;
  virtual void SetBondCutoff(double cutoff) = 0;
  // Frames known so far. `complete` tells whether that is all of them: a large binary file
  // is indexed further as it is played. 0 (not complete) when the container cannot tell.
  virtual int KnownFrameCount(bool* complete) const {
    if (complete) *complete = false;
    return 0;
  }
};
