#pragma once
// The command logic's camera operations on the program's one camera.
#include "app/Commands.h"
#include "app/Quivane.h"

namespace qv::cmd {

class AppCameraControl : public ICameraControl {
 public:
  explicit AppCameraControl(Quivane& app) : app_(app) {}

  void FitToData() override { app_.FitCameraToData(); }
  void Zoom(double steps) override { app_.camera.Zoom(steps); }
  void OrbitUp(double radians) override { app_.camera.OrbitUp(radians); }
  void OrbitRight(double radians) override { app_.camera.OrbitRight(radians); }
  void ShiftRight(double amount) override { app_.camera.ShiftRight(amount); }
  void ShiftUp(double amount) override { app_.camera.ShiftUp(amount); }
  void SetSectionStep(int step) override { app_.camera.SetSectionStep(step); }
  void MoveSectionToCentre() override { app_.camera.MoveSectionToCentre(); }
  void ResetClipping() override { app_.camera.ResetClipping(); }
  void BeginDrag(int x, int y) override { app_.camera.BeginDrag(x, y); }
  bool DragPan(int x, int y, int w, int h) override { return app_.camera.DragPan(x, y, w, h) != 0; }
  bool DragRotate(int x, int y, int w, int h) override { return app_.camera.DragRotate(x, y, w, h) != 0; }
  void Place(const double eye[3], const double target[3], const double up[3]) override {
    app_.camera.Place({eye[0], eye[1], eye[2]}, {target[0], target[1], target[2]}, {up[0], up[1], up[2]});
  }
  int PickAtom(int x, int y, int width, int height, const float* positions, int count,
               double radius) const override {
    return app_.camera.camera.PickAtom(x, y, width, height, positions, count, radius);
  }

 private:
  Quivane& app_;
};

}  // namespace qv::cmd
