#pragma once

#include <cstdint>

#include "tessin/core/enum_info.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

// The edit state of a row (and the change mark of a metadata node).
enum class DataVersion : std::uint32_t {
  Initial = 0,
  Identical = 1,
  Delete = 2,
  Insert = 4,
  Update = 8,
};
TOLVANE_FLAGS_OPERATORS(DataVersion)

// Identical, delete, insert and update together (15).
TESSIN_API DataVersion data_version_all();

}  // namespace Tolvane::Providers::Contracts

template <>
struct TESSIN_API Tolvane::Core::EnumTraits<Tolvane::Providers::Contracts::DataVersion> {
  static const EnumInfo& info();
};
