#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "orvel/helpers/location_helper.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

using Pair = LocationHelper::Pair;

void expect_near(const Pair& actual, const Pair& expected, double tolerance) {
  EXPECT_NEAR(actual[0], expected[0], tolerance);
  EXPECT_NEAR(actual[1], expected[1], tolerance);
}

TEST(LocationHelper, ShiftsPointsInsideChinaToGcj02AndBaidu) {
  // Published figures of the same algorithms for a point in Beijing.
  expect_near(LocationHelper::wgs84_to_gcj02(116.404, 39.915), {116.41024449916938, 39.91640428150164}, 1e-9);
  expect_near(LocationHelper::gcj02_to_wgs84(116.404, 39.915), {116.39775550083061, 39.91359571849836}, 1e-9);
  expect_near(LocationHelper::gcj02_to_bd09(116.404, 39.915), {116.41036949371029, 39.92133699351022}, 1e-9);
  expect_near(LocationHelper::bd09_to_gcj02(116.404, 39.915), {116.39762729119315, 39.90865673957631}, 1e-9);
  Pair shifted = LocationHelper::wgs84_to_gcj02(116.404, 39.915);
  expect_near(LocationHelper::transform(116.404, 39.915), {shifted[1], shifted[0]}, 0);
  Pair d = LocationHelper::delta(116.404, 39.915);
  expect_near({116.404 + d[0], 39.915 + d[1]}, shifted, 1e-12);

  // The one-step inverses come back within a metre or so.
  Pair there = LocationHelper::wgs84_to_bd09(121.4737, 31.2304);
  expect_near(LocationHelper::bd09_to_wgs84(there[0], there[1]), {121.4737, 31.2304}, 2e-5);
}

TEST(LocationHelper, LeavesPointsOutsideChinaAlone) {
  EXPECT_TRUE(LocationHelper::out_of_china(13.4050, 52.5200));
  EXPECT_TRUE(LocationHelper::out_of_china(100.0, 0.5));
  EXPECT_FALSE(LocationHelper::out_of_china(116.404, 39.915));
  expect_near(LocationHelper::wgs84_to_gcj02(13.4050, 52.5200), {13.4050, 52.5200}, 0);
  expect_near(LocationHelper::gcj02_to_wgs84(13.4050, 52.5200), {13.4050, 52.5200}, 0);
  expect_near(LocationHelper::wgs84_to_bd09(13.4050, 52.5200), LocationHelper::gcj02_to_bd09(13.4050, 52.5200), 0);
}

TEST(LocationHelper, WebMercatorUsesTheSameSphereAndClampsToItsBounds) {
  constexpr double kBound = 20037508.342789244;
  Pair origin = LocationHelper::wgs84_to_epsg3857(0, 0);
  EXPECT_NEAR(origin[0], 0, 1e-9);
  EXPECT_NEAR(origin[1], 0, 1e-9);
  Pair metres = LocationHelper::wgs84_to_epsg3857(13.4050, 52.5200);
  EXPECT_NEAR(metres[0], 13.4050 * 6378245 * std::numbers::pi / 180, 1e-6);
  expect_near(LocationHelper::espg3857_to_wgs84(metres[0], metres[1]), {13.4050, 52.5200}, 1e-9);
  // 190 is taken as -170; the edge of the map and the poles are clamped.
  EXPECT_NEAR(LocationHelper::wgs84_to_epsg3857(190, 0)[0], LocationHelper::wgs84_to_epsg3857(-170, 0)[0], 1e-6);
  EXPECT_EQ(LocationHelper::wgs84_to_epsg3857(180, 0)[0], kBound);
  EXPECT_EQ(LocationHelper::wgs84_to_epsg3857(0, 89.9)[1], kBound);
  EXPECT_EQ(LocationHelper::wgs84_to_epsg3857(0, -89.9)[1], -kBound);
}

TEST(LocationHelper, DistanceAlongTheSphere) {
  EXPECT_NEAR(LocationHelper::distance(0, 0, 0, 1), 6378245 * std::numbers::pi / 180, 1e-6);
  EXPECT_NEAR(LocationHelper::distance(0, 0, 180, 0), 6378245 * std::numbers::pi, 1e-6);
  // Rounding may push the cosine just past 1; the same point is 0 metres, not NaN.
  EXPECT_EQ(LocationHelper::distance(116.404, 39.915, 116.404, 39.915), 0.0);
  EXPECT_EQ(LocationHelper::fabs(-2.5), 2.5);
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
