#pragma once

#include <string>

#include "orvel/orvel_api.hpp"
#include "tessin/core/enum_info.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// The data-changing actions.
enum class SqlAction : int {
  NOTHING = 0,
  INSERT = 1,
  UPDATE = 2,
  DELETE = 3,
  SCHEMA = 4,
  FEATURE = 5,
};

// The nick ("insert").
ORVEL_API std::string to_string(SqlAction action);

}  // namespace Tolvane::Orvel::Contracts::Database

template <>
struct ORVEL_API Tolvane::Core::EnumTraits<Tolvane::Orvel::Contracts::Database::SqlAction> {
  static const EnumInfo& info();
};
