#include "tessin/contracts/data_version.hpp"

namespace Tolvane::Providers::Contracts {

DataVersion data_version_all() { return Core::all_flags<DataVersion>(); }

}  // namespace Tolvane::Providers::Contracts

using Tolvane::Providers::Contracts::DataVersion;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<DataVersion>::info() {
  static const EnumInfo info("TolvaneProvidersContractsDataVersion", "TOLVANE_PROVIDERS_CONTRACTS_DATA_VERSION_", true,
                             {{0, "initial"}, {1, "identical"}, {2, "delete"}, {4, "insert"}, {8, "update"}});
  return info;
}
