#pragma once

#include <array>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Helpers {

// Conversions between the WGS-84, GCJ-02, BD-09 and Web-Mercator coordinate
// systems, and great-circle distances. Coordinates are decimal degrees,
// longitude first unless said otherwise; pairs come back as two doubles.
class ORVEL_API LocationHelper : public Core::Object {
  TOLVANE_OBJECT(LocationHelper)

  using Pair = std::array<double, 2>;

  // The GCJ-02 offsets apply only inside this box.
  static bool out_of_china(double lon, double lat);
  // The GCJ-02 offset polynomials, of x = lon - 105 and y = lat - 35.
  static double transform_latitude(double x, double y);
  static double transform_longitude(double x, double y);
  // The GCJ-02 offsets (dLon, dLat) in degrees at a point.
  static Pair delta(double lon, double lat);
  static Pair wgs84_to_gcj02(double lon, double lat);
  // One-step inverse: 2 * point - wgs84_to_gcj02(point).
  static Pair gcj02_to_wgs84(double lon, double lat);
  static Pair gcj02_to_bd09(double lon, double lat);
  static Pair bd09_to_gcj02(double lon, double lat);
  static Pair wgs84_to_bd09(double lon, double lat);
  static Pair bd09_to_wgs84(double lon, double lat);
  // Like wgs84_to_gcj02, latitude first.
  static Pair transform(double lon, double lat);
  // Web-Mercator metres (x, y), on a sphere of radius 6378245.
  static Pair wgs84_to_epsg3857(double lon, double lat);
  // Degrees (lon, lat) from Web-Mercator metres (the name is spelled so).
  static Pair espg3857_to_wgs84(double x, double y);
  // Metres along a sphere of radius 6378245.
  static double distance(double lon1, double lat1, double lon2, double lat2);
  static double fabs(double x);
};

}  // namespace Tolvane::Orvel::Helpers
