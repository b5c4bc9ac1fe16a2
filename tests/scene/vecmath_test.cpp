#include "scene/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace skyloom {
namespace {

TEST(RoundToInt, HalvesRoundAwayFromZeroAndTinyValuesGiveZero) {
    EXPECT_EQ(RoundToInt(1.5), 2);
    EXPECT_EQ(RoundToInt(-1.5), -2);
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-2.5), -3);
    EXPECT_EQ(RoundToInt(0.49), 0);
    EXPECT_EQ(RoundToInt(-0.49), 0);
    EXPECT_EQ(RoundToInt(0.000005), 0);
    EXPECT_EQ(RoundToInt(-0.000005), 0);
    EXPECT_EQ(RoundToInt(0.5), 1);
    EXPECT_EQ(RoundToInt(1919.4999), 1919);
}

TEST(WrapToRange, BringsValuesIntoTheClosedRange) {
    double v = -10.0;
    WrapToRange(v, 0.0, 360.0);
    EXPECT_DOUBLE_EQ(v, 350.0);
    v = 725.0;
    WrapToRange(v, 0.0, 360.0);
    EXPECT_DOUBLE_EQ(v, 5.0);
    v = 360.0;
    WrapToRange(v, 0.0, 360.0);
    EXPECT_DOUBLE_EQ(v, 360.0);
    v = 0.0;
    WrapToRange(v, 0.0, 360.0);
    EXPECT_DOUBLE_EQ(v, 0.0);
    v = -720.0;
    WrapToRange(v, 0.0, 360.0);
    EXPECT_DOUBLE_EQ(v, 0.0);
    v = -1.0;
    WrapToRange(v, -1.0, 1.0);
    EXPECT_DOUBLE_EQ(v, -1.0);
}

TEST(Clamp, LimitsBothKindsAndColors) {
    int i = 12;
    Clamp(i, 0, 10);
    EXPECT_EQ(i, 10);
    i = -3;
    Clamp(i, 0, 10);
    EXPECT_EQ(i, 0);
    double d = 0.25;
    Clamp(d, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(d, 0.25);

    ColorRGBA color(1.5, -0.5, 0.5, 2.0);
    color.Clamp(0.0, 1.0);
    EXPECT_DOUBLE_EQ(color.r, 1.0);
    EXPECT_DOUBLE_EQ(color.g, 0.0);
    EXPECT_DOUBLE_EQ(color.b, 0.5);
    EXPECT_DOUBLE_EQ(color.a, 1.0);
}

TEST(DegToRad, UsesTheShortPiConstant) {
    EXPECT_DOUBLE_EQ(DegToRad(180.0), 3.1415927);
    EXPECT_NE(DegToRad(180.0), std::numbers::pi);
}

class SinCosDegreesTest : public ::testing::TestWithParam<double> {};

TEST_P(SinCosDegreesTest, MatchesSineAndNegatedCosineInEveryQuadrant) {
    const double angle = GetParam();
    double s = 0.0;
    double c = 0.0;
    SinCosDegrees(angle, s, c);
    const double radians = angle * 3.1415927 / 180.0;
    EXPECT_NEAR(s, std::sin(radians), 1e-6) << angle;
    EXPECT_NEAR(c, -std::cos(radians), 1e-6) << angle;
}

INSTANTIATE_TEST_SUITE_P(QuadrantBoundaries, SinCosDegreesTest,
                         ::testing::Values(0.0, 45.0, 89.999, 90.0, 135.0, 179.999, 180.0, 225.0, 269.999,
                                           270.0, 315.0, 359.999, 360.0, 400.0, -0.001, -90.0, -270.0));

TEST(SinCosDegrees, ExactValuesAtTheAxes) {
    double s = 9.0;
    double c = 9.0;
    SinCosDegrees(0.0, s, c);
    EXPECT_EQ(s, 0.0);
    EXPECT_EQ(c, -1.0);
    SinCosDegrees(90.0, s, c);
    EXPECT_EQ(s, 1.0);
    EXPECT_NEAR(c, 0.0, 1e-15);
    SinCosDegrees(180.0, s, c);
    EXPECT_NEAR(s, 0.0, 1e-15);
    EXPECT_EQ(c, 1.0);
    SinCosDegrees(270.0, s, c);
    EXPECT_EQ(s, -1.0);
    EXPECT_NEAR(c, 0.0, 1e-15);
}

TEST(Vector3d, ArithmeticLengthAndText) {
    Vector3d v;
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.z, 0.0);
    v.Set(3.0, 0.0, 4.0);
    EXPECT_DOUBLE_EQ(v.Length(), 5.0);
    v += Vector3d(1.0, 2.0, 3.0);
    v -= Vector3d(0.0, 1.0, 0.0);
    v *= 2.0;
    EXPECT_DOUBLE_EQ(v.x, 8.0);
    EXPECT_DOUBLE_EQ(v.y, 2.0);
    EXPECT_DOUBLE_EQ(v.z, 14.0);
    v.Normalize();
    EXPECT_NEAR(v.Length(), 1.0, 1e-12);
    Vector3d t(1.0, -2.5, 100.126);
    EXPECT_STREQ(t.ToText(), "( 1.00, -2.50, 100.13)");
    float f[3];
    t.ToFloats(f);
    EXPECT_FLOAT_EQ(f[1], -2.5f);
}

}  // namespace
}  // namespace skyloom
