#pragma once

#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Storage {

// An object that keeps itself in a store of its own choosing (a file, a
// section of a settings file ...). Nothing inside the libraries implements or
// calls it; it is offered to the front end. `location` names the store (for a
// file, its path) and `section` the part of it the object occupies ("" for the
// whole store). Failures are the implementer's errors.
class ORVEL_API IStorable {
  TOLVANE_INTERFACE(IStorable)

  virtual ~IStorable();

  virtual Core::Status load(const std::string& location, std::string_view section) = 0;
  virtual Core::Status save(const std::string& location, std::string_view section) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Storage
