#pragma once
#include <cstddef>

// Bytes held through operator new by this test program (single-threaded use only).
namespace alloccount {
size_t Live();
size_t Peak();
void ResetPeak();
}  // namespace alloccount
