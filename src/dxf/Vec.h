// CVec: a point or direction of the shape library, four doubles x, y, z, w.
// Most operations use x, y and z only; w is carried along.
#pragma once

namespace brisol {

constexpr double kPi = 3.14159265359;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kOneOver180 = 0.005555555555555556;

constexpr double DegreesToRadians(double degrees) { return degrees * kPi * kOneOver180; }

class CVec {
 public:
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double w = 0.0;

  CVec() = default;
  CVec(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  CVec(double x_, double y_, double z_, double w_) : x(x_), y(y_), z(z_), w(w_) {}

  // Component 0..3; any other index is reported and answers 1.0.
  double operator[](int i) const;
  // Sets component 0..3; any other index is reported and nothing is set.
  void setval(int i, double value);

  void Set(double x_, double y_, double z_) {
    x = x_;
    y = y_;
    z = z_;
    w = 0.0;
  }
  void SetXYZ(double x_, double y_, double z_) {
    x = x_;
    y = y_;
    z = z_;
  }
  void SetX(double v) { x = v; }
  void SetY(double v) { y = v; }
  void SetZ(double v) { z = v; }

  CVec operator+(const CVec& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
  CVec operator-(const CVec& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
  CVec operator*(double s) const { return {x * s, y * s, z * s, w * s}; }
  bool operator==(const CVec& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }

  double Length() const;
  // A vector too short to have a direction becomes (1, 0, 0).
  void Normalize();
  void Abs();
  void Negate() {
    x = -x;
    y = -y;
    z = -z;
  }

  static double Dot(const CVec& a, const CVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
  static double Angle(const CVec& a, const CVec& b);
  // The cross product; w is taken from a.
  static CVec Cross(const CVec& a, const CVec& b);
  static double Distance2D(const CVec& a, const CVec& b);
  static double Distance3D(const CVec& a, const CVec& b);
};

// The named constants of the library.
inline const CVec kZeroVec{0, 0, 0};
inline const CVec kUnitX{1, 0, 0};
inline const CVec kUnitY{0, 1, 0};
inline const CVec kUnitZ{0, 0, 1};
inline const CVec kVec110{1, 1, 0};
inline const CVec kVec111{1, 1, 1};

}  // namespace brisol
