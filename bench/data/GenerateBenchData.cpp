// Writes the inputs of bench/whole_process.sh: an FCC crystal of 1,000,188 copper atoms as
// one xyz frame, 100 xyz frames of 100,000 random atoms, and 103,823 atoms in a cell whose
// a and b edges meet at 60 degrees. Usage: qv_bench_data DIR
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr int kFccCells = 63;
constexpr double kLattice = 3.615;

bool WriteFcc(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  const double basis[4][3] = {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
  std::fprintf(f, "%d\nfcc copper, lattice %.3f, %d cells per edge\n", 4 * kFccCells * kFccCells * kFccCells,
               kLattice, kFccCells);
  for (int z = 0; z < kFccCells; ++z)
    for (int y = 0; y < kFccCells; ++y)
      for (int x = 0; x < kFccCells; ++x)
        for (const auto& b : basis)
          std::fprintf(f, "Cu %.5f %.5f %.5f\n", (x + b[0]) * kLattice, (y + b[1]) * kLattice,
                       (z + b[2]) * kLattice);
  return std::fclose(f) == 0;
}

bool WriteTrajectory(const std::string& path, int frames, int atoms) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0.0, 99.999);
  for (int fr = 0; fr < frames; ++fr) {
    std::fprintf(f, "%d\nframe %d\n", atoms, fr);
    for (int i = 0; i < atoms; ++i) std::fprintf(f, "Cu %.6f %.6f %.6f\n", u(rng), u(rng), u(rng));
  }
  return std::fclose(f) == 0;
}

// A lattice in the sheared cell, each point moved a little at random.
bool WriteTriclinic(const std::string& path, int n, double spacing) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> jitter(-0.1, 0.1);
  const double s60 = std::sqrt(3.0) / 2;
  std::fprintf(f, "%d\n60 degree cell, edge %.4f\n", n * n * n, n * spacing);
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        const double x = (i + 0.5 * j) * spacing + jitter(rng);
        const double y = j * s60 * spacing + jitter(rng);
        const double z = k * spacing + jitter(rng);
        std::fprintf(f, "Cu %.5f %.5f %.5f\n", x, y, z);
      }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qv_bench_data DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const bool ok = WriteFcc(dir + "/fcc1m.xyz") && WriteTrajectory(dir + "/traj100x100k.xyz", 100, 100000) &&
                  WriteTriclinic(dir + "/tri100k.xyz", 47, 2.3);
  if (!ok) std::fprintf(stderr, "qv_bench_data: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
