#include "scene/vecmath.h"

#include <cmath>
#include <cstdio>

namespace skyloom {

void Vector3d::Set(double x_, double y_, double z_) {
    x = x_;
    y = y_;
    z = z_;
}

Vector3d& Vector3d::operator+=(const Vector3d& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

Vector3d& Vector3d::operator-=(const Vector3d& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

Vector3d& Vector3d::operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

double Vector3d::Length() const { return std::sqrt(x * x + y * y + z * z); }

void Vector3d::Normalize() {
    const double length = Length();
    x /= length;
    y /= length;
    z /= length;
}

void Vector3d::Clamp(double lo, double hi) {
    skyloom::Clamp(x, lo, hi);
    skyloom::Clamp(y, lo, hi);
    skyloom::Clamp(z, lo, hi);
}

void Vector3d::ToFloats(float out[3]) const {
    out[0] = static_cast<float>(x);
    out[1] = static_cast<float>(y);
    out[2] = static_cast<float>(z);
}

const char* Vector3d::ToText() const {
    static char text[100];
    std::snprintf(text, sizeof text, "(%5.2f, %5.2f, %5.2f)", x, y, z);
    return text;
}

void ColorRGBA::Set(double r_, double g_, double b_, double a_) {
    r = r_;
    g = g_;
    b = b_;
    a = a_;
}

void ColorRGBA::Clamp(double lo, double hi) {
    skyloom::Clamp(r, lo, hi);
    skyloom::Clamp(g, lo, hi);
    skyloom::Clamp(b, lo, hi);
    skyloom::Clamp(a, lo, hi);
}

void Clamp(double& v, double lo, double hi) {
    if (v < lo) {
        v = lo;
    } else if (v > hi) {
        v = hi;
    }
}

void Clamp(int& v, int lo, int hi) {
    if (v < lo) {
        v = lo;
    } else if (v > hi) {
        v = hi;
    }
}

void WrapToRange(double& v, double lo, double hi) {
    const double width = hi - lo;
    if (v < lo) {
        do {
            v += width;
        } while (v < lo);
    }
    while (v > hi) {
        v -= width;
    }
}

int32_t RoundToInt(double x) {
    if (x > 0.00001) {
        return static_cast<int32_t>(x + 0.5);
    }
    if (x < -0.00001) {
        return static_cast<int32_t>(x - 0.5);
    }
    return 0;
}

double DegToRad(double degrees) { return degrees * 0.01745329277777778; }

void SinCosDegrees(double angle, double& s, double& c) {
    double sine;
    double cosine;
    if (angle >= 0.0 && angle < 90.0) {
        const double r = DegToRad(angle);
        sine = std::sin(r);
        cosine = std::cos(r);
    } else if (angle >= 90.0 && angle < 180.0) {
        const double r = DegToRad(angle - 90.0);
        sine = std::cos(r);
        cosine = -std::sin(r);
    } else if (angle >= 180.0 && angle < 270.0) {
        const double r = DegToRad(angle - 180.0);
        sine = -std::sin(r);
        cosine = -std::cos(r);
    } else {
        const double r = DegToRad(angle - 270.0);
        sine = -std::cos(r);
        cosine = std::sin(r);
    }
    s = sine;
    c = -cosine;
}

}  // namespace skyloom
