#include "orvel/contracts/thread/transform.hpp"

namespace Tolvane::Orvel::Contracts::Thread {

const Core::TypeInfo& ITransform::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsThreadITransform", {});
  return info;
}
ITransform::~ITransform() = default;

const Core::TypeInfo& ISynchronize::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsThreadISynchronize", {&ITransform::static_type()});
  return info;
}
ISynchronize::~ISynchronize() = default;

}  // namespace Tolvane::Orvel::Contracts::Thread
