#pragma once
// The fa2/fad frame builders live in tests/Fa2Frames.h; this name is kept for the tool
// tests that still include it.
#include "Fa2Frames.h"
