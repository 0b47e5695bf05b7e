#pragma once

#include <string>
#include <string_view>

#include <json-glib/json-glib.h>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Serialization {

// Writes an object's properties into a JSON object and reads them back. The
// defaults walk the object's property list, so an implementer that keeps them
// gets a JSON form of every property without writing one; nothing inside the
// libraries implements or calls this contract, it is offered to the front end.
//
// The walk differs from `Core::Json` (the property-default rules of the
// profile, settings and metadata files): it writes every writable property,
// defaults included, and skips read-only ones. Mapping, both directions:
//   boolean                                    JSON boolean
//   8/16/32/64-bit integers, signed or not,    JSON integer (64-bit signed; an
//   enumerations (value), flags (bit set)      unsigned 64-bit number keeps its bits)
//   float, double                              JSON double
//   text                                       JSON string ("" for a null text)
//   date-time                                  ISO 8601 string ("" for none); read
//                                              with UTC for a text without a zone
//   string list                                JSON array of strings
//   anything else (objects, collections)       a diagnostic text, never read back
// A member whose JSON type does not fit stores the requested kind's empty value
// (0, false, a null text), as json-glib's getters give it; a string list whose
// member is not an array keeps its value.
class ORVEL_API IJsonSerializer {
  TOLVANE_INTERFACE(IJsonSerializer)

  virtual ~IJsonSerializer();

  // `builder` is positioned inside an open JSON object; members for the
  // object's properties are added to it (the caller opens and closes it).
  virtual void serialize(JsonBuilder* builder, const Core::Object* object);
  // Fills `object` from the members of `json_object`, in member order.
  virtual void deserialize(JsonObject* json_object, Core::Object* object);
};

// The generic walks the defaults use, for callers that are not serializers.
ORVEL_API void serialize_properties(JsonBuilder& builder, const Core::Object& object);
// Members that name no property, the member "class", and read-only or
// construct-only properties are skipped without a word; a member for a
// property of a kind the mapping cannot read logs the warning
// "Type: <property> -> <type>" and leaves the property alone.
ORVEL_API void deserialize_properties(JsonObject& json_object, Core::Object& object);

// ISO 8601 text of a date-time, "" for none.
ORVEL_API std::string date_time_to_iso8601(const Core::DateTime& value);
// A date-time from ISO 8601 text, UTC when the text names no zone; none when
// the text is not ISO 8601.
ORVEL_API Core::DateTime date_time_from_iso8601(std::string_view text);

}  // namespace Tolvane::Orvel::Contracts::Serialization
