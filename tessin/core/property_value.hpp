#pragma once

#include <any>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "tessin/core/glib_ptr.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// Immutable GLib date-time and byte buffer, shared by reference.
using DateTime = GRef<GDateTime>;
using Bytes = GRef<GBytes>;

// What a property holds, as far as generic code (serialisers, cloning, the
// service container) needs to know.
enum class PropertyKind : std::uint8_t {
  Boolean,
  Int8,
  UInt8,
  Int16,
  UInt16,
  Int32,
  UInt32,
  Int64,
  UInt64,
  Float,
  Double,
  String,
  Enum,
  Flags,
  DateTime,
  StringList,
  Object,  // a reference to an object of the system; `value_type` says which class or interface
  Other,   // lists, maps, buffers: opaque to generic code, carried in std::any
};

// The small variant through which generic code reads and writes properties.
// Signed integers and enums travel as int64, unsigned integers and flags as
// uint64, floats as double, a null string or date-time as monostate.
using PropertyValue = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string,
                                   std::vector<std::string>, DateTime, ObjectPtr, std::any>;

}  // namespace Tolvane::Core

namespace Tolvane::Core {

// Equality of property values: date-times by instant, objects by identity,
// opaque values never equal.
TESSIN_API bool equal_values(const PropertyValue& a, const PropertyValue& b);

}  // namespace Tolvane::Core
