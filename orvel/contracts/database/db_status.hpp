#pragma once

#include "orvel/orvel_api.hpp"
#include "tessin/core/enum_info.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Where a connection stands.
enum class DBStatus : int {
  Unknown = 0,
  Closed = 1,
  Opened = 2,
  Failed = 3,
};

}  // namespace Tolvane::Orvel::Contracts::Database

template <>
struct ORVEL_API Tolvane::Core::EnumTraits<Tolvane::Orvel::Contracts::Database::DBStatus> {
  static const EnumInfo& info();
};
