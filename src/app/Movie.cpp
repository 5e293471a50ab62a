#include "app/Movie.h"

#include <cmath>
#include <numbers>

namespace qv::cmd {

void Movie::Step(int direction) {
  current_ = setFrame_(direction > 0 ? current_ + skip_ : current_ - skip_);
}

bool Movie::Tick() {
  if (state_ == 1) {
    current_ += skip_;
    const int reached = setFrame_(current_);
    if (reached < current_) {
      current_ = reached;
      state_ = 0;
    }
    return true;
  }
  if (state_ == 3) {
    current_ -= skip_;
    const int reached = setFrame_(current_);
    if (current_ < reached) {
      current_ = reached;
      state_ = 0;
    }
    return true;
  }
  return false;
}

bool Movie::Advance() {
  const int target = current_ + skip_;
  current_ = setFrame_(target);
  return current_ < target;
}

int RunBitmapSequence(Movie& movie, int& counter, const BitmapWriterFn& write, const StepFn& onStep) {
  return RunLeadTrace(movie, counter, [] { return true; }, write, onStep);
}

int RunRightRotation(double stepDegrees, const BitmapWriterFn& write, const TurnFn& orbitUp,
                     const StepFn& onStep) {
  const double delta = stepDegrees * std::numbers::pi / 180.0;
  // A zero, negative or non-finite step would give no or an unbounded count.
  if (!(delta > 0.0) || !std::isfinite(delta)) return 0;
  const double turns = 2.0 * std::numbers::pi / delta;
  if (turns > 1e7) return 0;
  const int n = static_cast<int>(turns);
  for (int i = 0; i <= n; ++i) {
    write(i);
    if (onStep && !onStep(i + 1)) return i + 1;
    orbitUp(delta);
  }
  return n + 1;
}

int RunRotatingSequence(Movie& movie, int& counter, double turnPerStep, const BitmapWriterFn& write,
                        const TurnFn& turn, const StepFn& onStep) {
  constexpr double kFullTurn = 2.0 * std::numbers::pi;
  // Without a turn the angle never completes a circle: stop with the trajectory instead
  // of writing the last frame for ever.
  // A turn so small that a circle takes more bitmaps than the right rotation allows would
  // write the last frame practically for ever: it counts as no turn.
  const bool turning = turnPerStep != 0.0 && std::isfinite(turnPerStep) &&
                       kFullTurn / std::fabs(turnPerStep) <= 1e7;
  double phi = 0.0;
  int written = 0;
  for (;;) {
    write(counter);
    ++written;
    ++counter;
    // A stop ends the run on the frame just written.
    if (onStep && !onStep(written)) break;
    const bool ended = movie.Advance();
    if (!turning) {
      if (ended) break;
      continue;
    }
    phi += turnPerStep;
    if (phi > kFullTurn) {
      phi -= kFullTurn;
      if (ended) break;
    } else if (phi < -kFullTurn) {
      phi += kFullTurn;
      if (ended) break;
    }
    turn(turnPerStep);
  }
  return written;
}

int RunLeadTrace(Movie& movie, int& counter, const std::function<bool()>& place,
                 const BitmapWriterFn& write, const StepFn& onStep) {
  int written = 0;
  bool ended = false;
  while (!ended) {
    if (!place()) break;
    write(counter);
    ++written;
    ++counter;
    if (onStep && !onStep(written)) break;
    ended = movie.Advance();
  }
  return written;
}

}  // namespace qv::cmd
