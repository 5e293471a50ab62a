#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace qv {

constexpr int kElementSymbolCount = 104;  // "E" at 0, then H .. Lr
constexpr int kElementColorCount = 119;   // atomic numbers 0 .. 118
constexpr int kBondCountColorCount = 15;  // bond counts 0 .. 14 (14 and more)

// Symbol of atomic number 0..103; nullptr outside that range.
const char* ElementSymbol(int atomicNumber);
// Symbol for writing files and reports: "X" (unknown to every reader) outside 0..103.
const char* ElementSymbolOrUnknown(int atomicNumber);
// Exact, case-sensitive lookup; -1 when no entry matches.
int AtomicNumberOf(std::string_view symbol);

// Colour word: bytes red, green, blue, alpha; alpha 0 hides an atom and its bonds.
struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

// The element and bond-count colour tables, defaults included; the settings' ATOM
// section overrides entries.
struct ColorTables {
  std::array<Rgba, kElementColorCount> element;
  std::array<Rgba, kBondCountColorCount> bondCount;
  ColorTables();

  // Colour of an atomic number; numbers outside 0..118 (such as -1 for an unknown symbol)
  // get the colour of entry 0.
  Rgba Element(int atomicNumber) const;
  // Bond counts of 14 and more share entry 14; negative counts use entry 0.
  Rgba BondCount(int count) const;
};

}  // namespace qv
