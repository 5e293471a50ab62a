#pragma once
// Frame stepping, interactive playback and the sequence outputs. The frame operation, the
// bitmap writer and the camera turns are handed in, so the same loops serve the viewer,
// the batch tool and the tests.
#include <functional>

namespace qv::cmd {

using SetFrameAllFn = std::function<int(int target)>;  // returns the largest index reached
using BitmapWriterFn = std::function<void(int number)>;
using TurnFn = std::function<void(double radians)>;
// After each bitmap (progress, repaint); false ends the run there (the user asked to stop).
using StepFn = std::function<bool(int written)>;

class Movie {
 public:
  Movie(int& currentFrame, int& frameSkip, int& playState, SetFrameAllFn setFrameAll)
      : current_(currentFrame), skip_(frameSkip), state_(playState), setFrame_(std::move(setFrameAll)) {}

  bool Playing() const { return state_ != 0; }
  // One step by the frame skip (forward when direction > 0).
  void Step(int direction);
  void StartForward() { state_ = 1; }
  void StartBackward() { state_ = 3; }
  void Stop() { state_ = 0; }
  // One 20 ms tick. False when playback had already stopped: the caller ends the timer and
  // refreshes the title without redrawing. True after a step (redraw and refresh).
  bool Tick();
  // Moves every data set on by the frame skip. True when that ended the trajectory.
  bool Advance();

 private:
  int& current_;
  int& skip_;
  int& state_;
  SetFrameAllFn setFrame_;
};

// The numbering of the sequence outputs; never reset while the program runs.
struct SequenceCounters {
  int bitmap = 0;
  int trace = 0;
  int rotation = 0;
};

// One bitmap per frame from the current one to the end, numbered on from the counter.
int RunBitmapSequence(Movie& movie, int& counter, const BitmapWriterFn& write, const StepFn& onStep = {});

// One full turn about the up axis; images numbered from 0 every time. Returns how many
// were written (0 when the step is not a positive finite angle).
int RunRightRotation(double stepDegrees, const BitmapWriterFn& write, const TurnFn& orbitUp,
                     const StepFn& onStep = {});

// Frames to the end while the camera keeps turning by `turnPerStep` radians per bitmap;
// after the last frame the turn continues until the accumulated angle completes a full
// turn. With no turn at all it stops at the end of the trajectory.
int RunRotatingSequence(Movie& movie, int& counter, double turnPerStep, const BitmapWriterFn& write,
                        const TurnFn& turn, const StepFn& onStep = {});

// Follows atom 0 of the first data set: `place` puts the camera behind it and returns
// false when there is no atom to follow (the sequence then ends).
int RunLeadTrace(Movie& movie, int& counter, const std::function<bool()>& place,
                 const BitmapWriterFn& write, const StepFn& onStep = {});

}  // namespace qv::cmd
