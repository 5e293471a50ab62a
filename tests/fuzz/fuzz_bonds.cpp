// Bond determination and molecule classification on arbitrary frames: boxes of any shape
// (flat, inverted, non-finite), atoms anywhere, any cut-off. Nothing may crash, and the
// counts must always add up to twice the bond list.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "analysis/BondBuilder.h"
#include "analysis/Molecules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Header: periodic flag, cut-off, 9 box values, 3 origin values; then atoms (x, y, z, Z).
  constexpr size_t kHeader = 1 + 4 + 12 * 4;
  if (size < kHeader) return 0;
  float head[13];
  std::memcpy(head, data + 1, sizeof head);
  const int periodic = data[0] & 1 ? 3 : 0;
  // Cut-offs are kept small enough that a dense input cannot ask for billions of bonds.
  double cutoff = head[0];
  if (!(cutoff < 8.0)) cutoff = 8.0;
  ATOMS_DATA f;
  for (int k = 0; k < 9; ++k) f.box[k] = head[1 + k];
  for (int k = 0; k < 3; ++k) f.origin[k] = head[10 + k];
  const size_t atoms = std::min<size_t>((size - kHeader) / 16, 2000);
  f.Allocate(static_cast<int32_t>(atoms));
  for (size_t a = 0; a < atoms; ++a) {
    float p[3];
    int32_t z;
    std::memcpy(p, data + kHeader + 16 * a, 12);
    std::memcpy(&z, data + kHeader + 16 * a + 12, 4);
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = p[k];
    f.atomicNumbers[a] = z;
  }
  BuildBonds(f, f.bonds, cutoff, periodic);
  long sum = 0;
  for (size_t a = 0; a < atoms; ++a) sum += f.bonds.counts[a];
  if (sum != 2L * f.bonds.bondCount) std::abort();
  for (int e = 0; e < f.bonds.bondCount; ++e) {
    const BOND_ENTRY& b = f.bonds.entries[e];
    if (b.i < 0 || b.j < 0 || b.i >= f.atomCount || b.j >= f.atomCount) std::abort();
  }
  const auto mols = ClassifyMolecules(f.atomCount, f.atomicNumbers.data(), f.bonds);
  long members = 0;
  for (const auto& m : mols)
    for (const auto& [zz, c] : m.composition) members += static_cast<long>(m.count) * c;
  if (members != static_cast<long>(atoms)) std::abort();
  return 0;
}
