#include "orvel/helpers/location_helper.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Tolvane::Orvel::Helpers {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kAxis = 6378245.0;
constexpr double kEccentricitySquared = 0.00669342162296594323;
constexpr double kXPi = kPi * 3000.0 / 180.0;
constexpr double kMercatorBound = 20037508.342789244;

}  // namespace

const Core::TypeInfo& LocationHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersLocationHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<LocationHelper>(), {});
  return info;
}

bool LocationHelper::out_of_china(double lon, double lat) {
  return lon < 72.004 || lon > 137.8347 || lat < 0.8293 || lat > 55.8271;
}

double LocationHelper::transform_latitude(double x, double y) {
  double result = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
  result += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
  result += (20.0 * std::sin(y * kPi) + 40.0 * std::sin(y / 3.0 * kPi)) * 2.0 / 3.0;
  result += (160.0 * std::sin(y / 12.0 * kPi) + 320.0 * std::sin(y * kPi / 30.0)) * 2.0 / 3.0;
  return result;
}

double LocationHelper::transform_longitude(double x, double y) {
  double result = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
  result += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
  result += (20.0 * std::sin(x * kPi) + 40.0 * std::sin(x / 3.0 * kPi)) * 2.0 / 3.0;
  result += (150.0 * std::sin(x / 12.0 * kPi) + 300.0 * std::sin(x / 30.0 * kPi)) * 2.0 / 3.0;
  return result;
}

LocationHelper::Pair LocationHelper::delta(double lon, double lat) {
  double d_lat = transform_latitude(lon - 105.0, lat - 35.0);
  double d_lon = transform_longitude(lon - 105.0, lat - 35.0);
  double rad_lat = lat / 180.0 * kPi;
  double magic = 1.0 - kEccentricitySquared * std::sin(rad_lat) * std::sin(rad_lat);
  double sqrt_magic = std::sqrt(magic);
  d_lat = (d_lat * 180.0) / ((kAxis * (1.0 - kEccentricitySquared)) / (magic * sqrt_magic) * kPi);
  d_lon = (d_lon * 180.0) / (kAxis / sqrt_magic * std::cos(rad_lat) * kPi);
  return {d_lon, d_lat};
}

LocationHelper::Pair LocationHelper::wgs84_to_gcj02(double lon, double lat) {
  if (out_of_china(lon, lat)) {
    return {lon, lat};
  }
  Pair d = delta(lon, lat);
  return {lon + d[0], lat + d[1]};
}

LocationHelper::Pair LocationHelper::gcj02_to_wgs84(double lon, double lat) {
  if (out_of_china(lon, lat)) {
    return {lon, lat};
  }
  Pair shifted = wgs84_to_gcj02(lon, lat);
  return {lon * 2.0 - shifted[0], lat * 2.0 - shifted[1]};
}

LocationHelper::Pair LocationHelper::gcj02_to_bd09(double lon, double lat) {
  double z = std::sqrt(lon * lon + lat * lat) + 0.00002 * std::sin(lat * kXPi);
  double theta = std::atan2(lat, lon) + 0.000003 * std::cos(lon * kXPi);
  return {z * std::cos(theta) + 0.0065, z * std::sin(theta) + 0.006};
}

LocationHelper::Pair LocationHelper::bd09_to_gcj02(double lon, double lat) {
  double x = lon - 0.0065;
  double y = lat - 0.006;
  double z = std::sqrt(x * x + y * y) - 0.00002 * std::sin(y * kXPi);
  double theta = std::atan2(y, x) - 0.000003 * std::cos(x * kXPi);
  return {z * std::cos(theta), z * std::sin(theta)};
}

LocationHelper::Pair LocationHelper::wgs84_to_bd09(double lon, double lat) {
  Pair gcj = wgs84_to_gcj02(lon, lat);
  return gcj02_to_bd09(gcj[0], gcj[1]);
}

LocationHelper::Pair LocationHelper::bd09_to_wgs84(double lon, double lat) {
  Pair gcj = bd09_to_gcj02(lon, lat);
  return gcj02_to_wgs84(gcj[0], gcj[1]);
}

LocationHelper::Pair LocationHelper::transform(double lon, double lat) {
  Pair shifted = wgs84_to_gcj02(lon, lat);
  return {shifted[1], shifted[0]};
}

LocationHelper::Pair LocationHelper::wgs84_to_epsg3857(double lon, double lat) {
  if (lon > 180.0) {
    lon -= 360.0;
  } else if (lon < -180.0) {
    lon += 360.0;
  }
  double x = lon * kAxis * kPi / 180.0;
  double y = kAxis * std::log(std::tan(lat * kPi / 360.0 + kPi / 4.0));
  return {std::clamp(x, -kMercatorBound, kMercatorBound), std::clamp(y, -kMercatorBound, kMercatorBound)};
}

LocationHelper::Pair LocationHelper::espg3857_to_wgs84(double x, double y) {
  double lon = x / kAxis * 180.0 / kPi;
  double lat = (kPi / 2.0 - 2.0 * std::atan(std::exp(-y / kAxis))) * 180.0 / kPi;
  return {lon, lat};
}

double LocationHelper::distance(double lon1, double lat1, double lon2, double lat2) {
  double rad = kPi / 180.0;
  double c = std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::cos((lon1 - lon2) * rad) +
             std::sin(lat1 * rad) * std::sin(lat2 * rad);
  return kAxis * std::acos(std::clamp(c, -1.0, 1.0));
}

double LocationHelper::fabs(double x) { return std::fabs(x); }

}  // namespace Tolvane::Orvel::Helpers
