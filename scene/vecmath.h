#pragma once

#include <cstdint>

namespace skyloom {

// Position, direction or RGB colour in double precision.
struct Vector3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vector3d() = default;
    Vector3d(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    void Set(double x_, double y_, double z_);
    Vector3d& operator+=(const Vector3d& v);
    Vector3d& operator-=(const Vector3d& v);
    Vector3d& operator*=(double s);
    double Length() const;
    // Callers never pass a zero vector.
    void Normalize();
    void Clamp(double lo, double hi);
    void ToFloats(float out[3]) const;
    // Diagnostics only: returns a shared buffer that the next call overwrites.
    const char* ToText() const;
};

struct ColorRGBA {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 0.0;

    ColorRGBA() = default;
    ColorRGBA(double r_, double g_, double b_, double a_) : r(r_), g(g_), b(b_), a(a_) {}

    void Set(double r_, double g_, double b_, double a_);
    void Clamp(double lo, double hi);
};

void Clamp(double& v, double lo, double hi);
void Clamp(int& v, int lo, int hi);
// Closed range: lo and hi both stay as they are.
void WrapToRange(double& v, double lo, double hi);
// Halves round away from zero; values within 0.00001 of zero give 0.
int32_t RoundToInt(double x);
// Uses 3.1415927 / 180, which stored scenes and golden frames depend on.
double DegToRad(double degrees);
// s = sin(angle), c = -cos(angle), angle in degrees, reduced by quadrants.
void SinCosDegrees(double angle, double& s, double& c);

}  // namespace skyloom
