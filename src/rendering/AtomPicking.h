#pragma once
// Picking an atom along the ray through a window pixel (md3 edit mode).
#include <cstddef>

namespace qv {

struct PickRay {
  double origin[3];
  double direction[3];  // unit length
};

// The ray from the eye through pixel (x, y) of a W x H view, for a camera looking from eye
// to target with the given up vector and half-angle (radians, between the axis and the top
// edge). False when the camera or the view is degenerate.
bool MakePickRay(const double eye[3], const double target[3], const double up[3],
                 double viewAngle, int width, int height, int x, int y, PickRay& ray);

// The atom nearest the ray (squared distance; the lowest index wins ties) when it lies
// within `radius`; otherwise `current` unchanged. `positions` holds x y z per atom.
int PickAtom(const PickRay& ray, const float* positions, size_t atomCount, double radius, int current);

}  // namespace qv
