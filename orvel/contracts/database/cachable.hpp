#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// A per-connection text-to-text memo that any thread may use; closing the
// connection empties it. A missing key or value is a programming error.
class ORVEL_API ICachable {
  TOLVANE_INTERFACE(ICachable)

  virtual ~ICachable();

  // Stores a copy of `value` under `key`, replacing an earlier value.
  virtual void append(std::optional<std::string_view> key, std::optional<std::string_view> value) = 0;
  // A copy of the value, or none when the key is absent.
  virtual std::optional<std::string> lookup(std::optional<std::string_view> key) const = 0;
  virtual void clear() = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Database
