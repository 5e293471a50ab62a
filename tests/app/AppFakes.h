#pragma once
// Recording stand-ins for the window system and the camera.
#include <string>
#include <utility>
#include <vector>

#include "app/Commands.h"

using qv::cmd::ICameraControl;
using qv::cmd::IShellServices;

class FakeShell : public IShellServices {
 public:
  void Redraw() override { ++redraws; }
  void SetTitle(const std::string& text) override { title = text; }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back(caption + "|" + text);
  }
  void StartMovieTimer() override { timer = true; }
  void StopMovieTimer() override { timer = false; }
  bool ChooseFileToOpen(std::string& path) override {
    if (chosen.empty()) return false;
    path = chosen;
    return true;
  }
  void ShowVersionDialog() override { ++versions; }
  void OpenWithSystem(const std::string& path) override { opened = path; }
  void CloseWindow() override { closed = true; }
  void Progress(const std::string&, int step) override { lastStep = step; }
  bool StopRequested() override { return stopAtStep > 0 && lastStep >= stopAtStep; }
  void ShowStatus(const std::string& text) override { status = text; }
  void SetFrameStatus(const std::string& text) override { frameStatus = text; }

  int redraws = 0, versions = 0, lastStep = -1, stopAtStep = 0;
  std::string status, frameStatus;
  bool timer = false, closed = false;
  std::string title = "Quivane 3.7.3", chosen, opened;
  std::vector<std::string> messages;
};

class FakeCamera : public ICameraControl {
 public:
  void FitToData() override { ++fits; }
  void Zoom(double steps) override { zooms.push_back(steps); }
  void OrbitUp(double a) override { orbitsUp.push_back(a); }
  void OrbitRight(double a) override { orbitsRight.push_back(a); }
  void ShiftRight(double d) override { shiftsRight.push_back(d); }
  void ShiftUp(double d) override { shiftsUp.push_back(d); }
  void SetSectionStep(int s) override { section = s; }
  void MoveSectionToCentre() override { nearFactor = 1.0; }
  void ResetClipping() override { nearFactor = 0.1; }
  void BeginDrag(int x, int y) override { drags.push_back({x, y}); }
  bool DragPan(int, int, int, int) override { ++pans; return true; }
  bool DragRotate(int, int, int, int) override { ++rotations; return true; }
  void Place(const double e[3], const double t[3], const double u[3]) override {
    for (int i = 0; i < 3; ++i) eye[i] = e[i], target[i] = t[i], up[i] = u[i];
  }
  int PickAtom(int x, int y, int w, int h, const float*, int count, double radius) const override {
    picks.push_back({x, y, w, h, count, radius});
    return pickResult;
  }

  struct Pick {
    int x, y, w, h, count;
    double radius;
  };
  mutable std::vector<Pick> picks;
  int pickResult = -1;
  int fits = 0, pans = 0, rotations = 0, section = 0;
  double nearFactor = 0.1;
  std::vector<double> zooms, orbitsUp, orbitsRight, shiftsRight, shiftsUp;
  std::vector<std::pair<int, int>> drags;
  double eye[3] = {0, -50, 0}, target[3] = {0, 0, 0}, up[3] = {0, 0, 1};
};

