#pragma once
// The shader back end's spheres cannot show pressure colours; they are drawn with the element
// colours instead and the user is told so. Told once per cause (pressure chosen, or data
// loaded while it is chosen), after the picture, so that a continuously redrawn window never
// asks for the same confirmation again and again.

namespace qv {

class PressureNotice {
 public:
  static constexpr const char* kText = "color mode with pressure is not supported in this version\n";

  // Pressure mode was chosen, or data was loaded in it: the next such picture tells again.
  // The run starts armed, as the settings may choose pressure from the first picture on.
  void Arm() { armed_ = true; }
  // A picture showed spheres in pressure mode without pressure colours.
  void Drawn() {
    if (!armed_) return;
    armed_ = false;
    pending_ = true;
  }
  // True once for each Drawn after an Arm: the caller shows kText now.
  bool TakePending() {
    const bool p = pending_;
    pending_ = false;
    return p;
  }

 private:
  bool armed_ = true;
  bool pending_ = false;
};

}  // namespace qv
