#include "orvel/contracts/storage/storable.hpp"

namespace Tolvane::Orvel::Contracts::Storage {

const Core::TypeInfo& IStorable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsStorageIStorable", {});
  return info;
}

IStorable::~IStorable() = default;

}  // namespace Tolvane::Orvel::Contracts::Storage
