#include "orvel/contracts/container/container.hpp"

namespace Tolvane::Orvel::Contracts::Container {

const Core::TypeInfo& IContainer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsContainerIContainer", {});
  return info;
}

IContainer::~IContainer() = default;

}  // namespace Tolvane::Orvel::Contracts::Container
