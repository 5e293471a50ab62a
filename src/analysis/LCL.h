#pragma once
// Linked-cell neighbour search over a periodic box.
#include <cstdint>
#include <vector>

#include "analysis/CellPartition.h"

// One query result: the neighbour, the queried atom's position minus the neighbour image's
// position, and its length.
struct NEIGHBOR_ENTRY {
  int32_t index;
  double dx, dy, dz;
  double distance;
};

class INeighborFinder {
 public:
  virtual ~INeighborFinder() = default;
  // Every atom or image within sqrt(cutoff2) of atom i, written to out. selfPos receives
  // the number of entries found before atom i's own position in the visiting order.
  // Returns the count, or -1 when more than capacity entries would be needed.
  virtual int32_t Query(int32_t i, const double* points, double cutoff2, NEIGHBOR_ENTRY* out,
                        int32_t* selfPos, int32_t capacity) = 0;
};

class LCL : public INeighborFinder, public CellPartition {
 public:
  explicit LCL(double cellSize) : CellPartition(cellSize) {}

  // Sizes the head array for the current cell total and empties every cell.
  void PrepareHeads();
  // Assigns points (relative to the box origin, three per point) to cells. Points outside
  // the box are moved into it by whole box vectors, in place. Non-finite points are left
  // out of every cell and have no neighbours.
  void Build(int32_t count, double* points);
  // PrepareHeads, then Build.
  void PrepareAndBuild(int32_t count, double* points) {
    PrepareHeads();
    Build(count, points);
  }

  int32_t Query(int32_t i, const double* points, double cutoff2, NEIGHBOR_ENTRY* out,
                int32_t* selfPos, int32_t capacity) override;
  // The full query with an explicit position and cell; self is skipped in the centre cell.
  int32_t Query(int32_t self, const double p[3], const int32_t cell[3], const double* points,
                double cutoff2, NEIGHBOR_ENTRY* out, int32_t* selfPos, int32_t capacity) const;

  int32_t pointCapacity = 0;
  std::vector<int32_t> nextInCell;
  std::vector<int32_t> cellOfPoint;  // -1 for a point left out
  std::vector<int32_t> cellCoords;   // three per point
  int32_t headCapacity = 0;
  std::vector<int32_t> head;

 private:
  int32_t builtCount_ = 0;
};
