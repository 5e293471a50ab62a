#pragma once
// The one look-at camera of the program and the projections built from it. Pure maths: the
// GL back ends load the matrices, the EPS writer projects with them, the input layer drives
// the interactive operations.
//
// Every matrix is 16 doubles, column-major (element index = column * 4 + row), for column
// vectors. No operation ever leaves a non-finite value in the camera, and every matrix
// built from a camera is finite, whatever the inputs: degenerate requests (a zero-length
// view direction, an up vector along the view, an empty client area, nonsense clip factors)
// fall back to the nearest sensible value instead of dividing by zero.
#include <array>
#include <cstdint>
#include <vector>

namespace qv::cam {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(Vec3 a);
bool IsFinite(Vec3 a);
// Unit vector along a; false (out untouched) when a is zero, too small to normalise or not
// finite.
bool TryNormalise(Vec3 a, Vec3& out);
// a rotated by angle (radians, right-hand rule) about the unit axis (Rodrigues).
Vec3 Rotate(Vec3 a, Vec3 axis, double angle);

using Mat4 = std::array<double, 16>;
Mat4 Multiply(const Mat4& a, const Mat4& b);  // a * b
// Transforms (x, y, z, 1).
std::array<double, 4> Transform(const Mat4& m, Vec3 p);

// The same matrices glFrustum and glOrtho multiply onto the stack.
Mat4 FrustumMatrix(double left, double right, double bottom, double top, double zNear,
                   double zFar);
Mat4 OrthoMatrix(double left, double right, double bottom, double top, double zNear,
                 double zFar);

}  // namespace qv::cam

enum ProjectionMode : int { kPerspective = 0, kOrthographic = 1 };

// Target, eye and up, the drag snapshot and the process-wide view parameters.
class CameraGL {
 public:
  using Vec3 = qv::cam::Vec3;
  using Mat4 = qv::cam::Mat4;

  static constexpr double kDefaultViewAngleDegrees = 27.5589;
  static constexpr double kDefaultNearFactor = 0.1;
  static constexpr double kDefaultFarFactor = 10.0;

  Vec3 target{0, 0, 0};
  Vec3 eye{0, -50, 0};
  Vec3 up{0, 0, 1};

  double dragDistance = 50;
  Vec3 dragTarget{0, 0, 0};
  Vec3 dragUp{0, 0, 1};
  Vec3 dragView{0, 50, 0};
  Vec3 dragRight{1, 0, 0};

  double viewAngle = kDefaultViewAngleDegrees * 3.14159265358979323846 / 180.0;  // radians
  double nearFactor = kDefaultNearFactor;
  double farFactor = kDefaultFarFactor;
  int sectionStep = 0;

  // Eye space x right, y up, z forward into the scene.
  Mat4 ViewMatrix() const;
  void ViewMatrix(double out[16]) const;
  // The same with row 2 negated: the usual OpenGL eye space looking down -z, ready for
  // glLoadMatrixd as the modelview matrix.
  Mat4 ViewMatrixGL() const;
  // |eye - target|.
  double Distance() const;

  // Places the camera in front of a box (three edge vectors as rows, then the origin
  // corner), looking along +y with +z up. A null box stands for the 10-unit cube at the
  // origin that data without a box are given.
  void FitToData(const double box[9], const double origin[3]);
  // The same from a view size and centre (what the data set list reports).
  void FitToBounds(double size, const double centre[3]);

  // Explicit placement (the lead-particle trace of the sequence outputs). Up is normalised.
  // A placement no matrix can be built from (eye on the target, zero up, non-finite
  // values) is refused and leaves the camera unchanged; returns whether it was applied.
  bool Place(Vec3 newEye, Vec3 newTarget, Vec3 newUp);

  // Drag snapshot; the pointer anchor lives in UICamera.
  void BeginDrag();
  // dx, dy: pointer offset from the anchor in client pixels (y down). Return 1 when the
  // camera changed, 0 when the pointer did not move or the client area is empty.
  int DragPan(int dx, int dy, int width, int height);
  int DragRotate(int dx, int dy, int width, int height);

  void Zoom(double steps);
  void OrbitUp(double angle);
  void OrbitRight(double angle);
  void ShiftRight(double amount);
  void ShiftUp(double amount);

  // nearFactor = 1 - n/40: step 0 puts the near plane through the target.
  void SetSectionStep(int n);
  // The cross-section menu's move-to-centre item.
  void MoveSectionToCentre();
  void ResetClipping();

  // Device orientation: a row-major 3x3 rotation matrix. up = its second column, the view
  // points against its third column at the current distance. Unusable matrices (zero or
  // non-finite columns) leave the camera unchanged; returns whether it was applied.
  bool ApplyOrientation(const double m[9]);

  // Projection of the sub-rectangle (x, y, w, h) of a full image fullWidth x fullHeight
  // for camera distance d. ProjectionGL counts y from the bottom and equals the
  // glFrustum/glOrtho matrix of the sub-rectangle's bounds (depth -1..1, eye space looking
  // down -z, to pair with ViewMatrixGL). ProjectionDX is the Direct3D-role matrix: y from
  // the top, depth 0..1, eye space z forward (pairs with ViewMatrix); its orthographic far
  // plane is d * farFactor / 5.
  Mat4 ProjectionGL(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                    double distance) const;
  Mat4 ProjectionDX(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                    double distance) const;
  // Whole window at the current distance.
  Mat4 ProjectionGL(int mode, int width, int height) const;
  Mat4 ProjectionDX(int mode, int width, int height) const;

  // The clip planes a projection uses for distance d (after the fallbacks). The far plane
  // is the OpenGL one; the orthographic Direct3D far plane is a fifth of it.
  double NearPlane(int mode, double distance) const;
  double FarPlane(int mode, double distance) const;

  // Edit-mode picking: the atom nearest to the ray through client pixel (x, y) (origin top
  // left) whose distance from the ray is at most radius; ties go to the lowest index.
  // Returns -1 when none qualifies (the caller keeps its selection). positions: x y z per
  // atom.
  int PickAtom(int x, int y, int width, int height, const float* positions, int32_t count,
               double radius) const;

  // Orthonormal screen basis of the current view: forward f, right s, up u. Always valid.
  void ViewBasis(Vec3& f, Vec3& s, Vec3& u) const;
  // tan(viewAngle), or that of the default angle when the setting is unusable (outside
  // (0, 90) degrees).
  double TanViewAngle() const;

 private:
  struct Frustum {
    double left, right, bottom, top, zNear, zFar;
  };
  Frustum Bounds(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                 double distance, bool yFromTop) const;
  double SafeDistance(double distance) const;
};

// The camera the window, the menu commands and the outputs share: the CameraGL plus the
// pointer anchor of the current drag.
class UICamera {
 public:
  using Mat4 = qv::cam::Mat4;

  CameraGL camera;
  int anchorX = 0;
  int anchorY = 0;

  void SetViewAngle(double radians) { camera.viewAngle = radians; }
  Mat4 ViewMatrix() const { return camera.ViewMatrix(); }
  void ViewMatrix(double out[16]) const { camera.ViewMatrix(out); }
  Mat4 ViewMatrixGL() const { return camera.ViewMatrixGL(); }
  double Distance() const { return camera.Distance(); }
  void FitToData(const double box[9], const double origin[3]) { camera.FitToData(box, origin); }
  void FitToBounds(double size, const double centre[3]) { camera.FitToBounds(size, centre); }

  bool Place(qv::cam::Vec3 eye, qv::cam::Vec3 target, qv::cam::Vec3 up) {
    return camera.Place(eye, target, up);
  }

  void BeginDrag(int x, int y);
  // Pointer position in client pixels; 1 when the camera changed.
  int DragPan(int x, int y, int width, int height);
  int DragRotate(int x, int y, int width, int height);

  void Zoom(double steps) { camera.Zoom(steps); }
  void OrbitUp(double angle) { camera.OrbitUp(angle); }
  void OrbitRight(double angle) { camera.OrbitRight(angle); }
  void ShiftRight(double amount) { camera.ShiftRight(amount); }
  void ShiftUp(double amount) { camera.ShiftUp(amount); }
  void SetSectionStep(int n) { camera.SetSectionStep(n); }
  void MoveSectionToCentre() { camera.MoveSectionToCentre(); }
  void ResetClipping() { camera.ResetClipping(); }
  bool ApplyOrientation(const double m[9]) { return camera.ApplyOrientation(m); }

  Mat4 ProjectionGL(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                    double distance) const {
    return camera.ProjectionGL(mode, fullWidth, fullHeight, x, y, w, h, distance);
  }
  Mat4 ProjectionDX(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                    double distance) const {
    return camera.ProjectionDX(mode, fullWidth, fullHeight, x, y, w, h, distance);
  }
};

// Zoom steps of a wheel delta: whole notches of 120, truncated toward zero.
inline double WheelZoomSteps(int delta) { return static_cast<double>(delta / 120); }
