#include "analysis/Molecules.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "analysis/ReportFile.h"
#include "data/ElementTable.h"

namespace {

// Union-find beside the chains: following a chain to its root costs the component's size,
// which on a crystal of a million atoms would be a million steps per bond.
struct Roots {
  std::vector<int32_t> parent;     // negative: a set's representative, holding -size
  std::vector<int32_t> chainRoot;  // per representative: the root of the member chain

  explicit Roots(int32_t n) : parent(static_cast<size_t>(n), -1), chainRoot(static_cast<size_t>(n)) {
    for (int32_t i = 0; i < n; ++i) chainRoot[i] = i;
  }
  int32_t Find(int32_t x) {
    while (parent[x] >= 0) {
      const int32_t p = parent[x];
      if (parent[p] >= 0) parent[x] = parent[p];
      x = p;
    }
    return x;
  }
};

}  // namespace

void BuildComponentChains(int32_t atomCount, const BOND_INFO& bonds, std::vector<int32_t>& chain) {
  const int32_t n = std::max(atomCount, 0);
  chain.resize(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) chain[i] = ~i;
  if (n == 0) return;
  Roots roots(n);
  const size_t used = std::min(static_cast<size_t>(std::max(bonds.bondCount, 0)), bonds.entries.size());
  for (size_t e = 0; e < used; ++e) {
    const int32_t i = bonds.entries[e].i, j = bonds.entries[e].j;
    if (i < 0 || i >= n || j < 0 || j >= n) continue;
    const int32_t a = roots.Find(i), b = roots.Find(j);
    if (a == b) continue;
    const int32_t ri = roots.chainRoot[a], rj = roots.chainRoot[b];
    // Root i's chain is followed by root j's chain; root j stays the root.
    const int32_t v = chain[rj];
    chain[rj] = chain[ri];
    chain[ri] = ~v;
    const int32_t big = roots.parent[a] <= roots.parent[b] ? a : b;
    const int32_t small = big == a ? b : a;
    roots.parent[big] += roots.parent[small];
    roots.parent[small] = big;
    roots.chainRoot[big] = rj;
  }
}

std::vector<MoleculeRecord> ClassifyMolecules(int32_t atomCount, const int32_t* atomicNumbers,
                                              const BOND_INFO& bonds) {
  std::vector<int32_t> chain;
  BuildComponentChains(atomCount, bonds, chain);
  const int32_t n = static_cast<int32_t>(chain.size());

  std::vector<MoleculeRecord> records;
  std::map<std::vector<std::pair<int32_t, int32_t>>, size_t> seen;
  int32_t histogram[kOtherAtomicNumber + 1] = {};
  std::vector<int32_t> touched;
  MoleculeRecord current;
  for (int32_t root = 0; root < n; ++root) {
    if (chain[root] >= 0) continue;
    touched.clear();
    int32_t m = ~chain[root];
    for (;;) {
      const int32_t z = atomicNumbers ? atomicNumbers[m] : 0;
      const int32_t bin = z >= 0 && z < kOtherAtomicNumber ? z : kOtherAtomicNumber;
      if (histogram[bin]++ == 0) touched.push_back(bin);
      if (chain[m] < 0) break;
      m = chain[m];
    }
    std::sort(touched.begin(), touched.end());
    current.composition.clear();
    for (int32_t bin : touched) {
      current.composition.emplace_back(bin, histogram[bin]);
      histogram[bin] = 0;
    }
    auto it = seen.find(current.composition);
    if (it != seen.end()) {
      ++records[it->second].count;
    } else {
      seen.emplace(current.composition, records.size());
      records.push_back(MoleculeRecord{1, current.composition});
    }
  }
  return records;
}

std::string CompositionText(const MoleculeRecord& record) {
  std::string text;
  char buf[32];
  for (const auto& [z, atoms] : record.composition) {
    std::snprintf(buf, sizeof buf, "%s%d", qv::ElementSymbolOrUnknown(z), atoms);
    text += buf;
  }
  return text;
}

int WriteMoleculeFile(const std::string& path, const std::vector<MoleculeRecord>& records) {
  FILE* f = qv::OpenReportFile(path);
  if (!f) return -1;
  for (const auto& r : records) std::fprintf(f, "%d\t%s\n", r.count, CompositionText(r).c_str());
  return qv::CloseReportFile(f);
}
