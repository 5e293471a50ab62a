#pragma once
// Molecule classification: connected groups of bonded atoms, named by their element counts.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/AtomsData.h"

// Atomic numbers outside 0..118 (above 118, or -1 for a symbol no table knows) are counted
// together under this pseudo-number.
constexpr int32_t kOtherAtomicNumber = 119;

struct MoleculeRecord {
  int32_t count = 0;  // molecules with this composition
  // (atomic number, atoms) in ascending atomic number, kOtherAtomicNumber last.
  std::vector<std::pair<int32_t, int32_t>> composition;
};

// The component structure of the bonded atoms: one value per atom. A negative value marks
// a component's root, the last member of its member chain, and holds the complement of the
// chain's first member; any other value is the next member of the chain. Bonds are joined
// in list order, the second atom's root staying the root. Entries naming atoms outside
// 0..atomCount-1 are ignored.
void BuildComponentChains(int32_t atomCount, const BOND_INFO& bonds, std::vector<int32_t>& chain);

// Compositions in order of first appearance, components taken by ascending root index.
// atomicNumbers may be null (every atom counts as number 0).
std::vector<MoleculeRecord> ClassifyMolecules(int32_t atomCount, const int32_t* atomicNumbers,
                                              const BOND_INFO& bonds);

// "H2O1": each pair as symbol and count. Numbers without a symbol in the table (104..118
// and the "other" pseudo-number) are written as "X".
std::string CompositionText(const MoleculeRecord& record);

// Writes one line per composition, "count\tH2O1\n". Returns 0, or -1 after printing
// "error; open file\n" when the file cannot be opened, -2 after "error; write file\n" when
// writing it failed.
int WriteMoleculeFile(const std::string& path, const std::vector<MoleculeRecord>& records);
