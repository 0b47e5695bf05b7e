#include "tessin/contracts/provider.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& IProvider::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIProvider", {});
  return info;
}

IProvider::~IProvider() = default;

Core::Status IProvider::open(const ServerPtr&, const std::string&) { return {}; }
void IProvider::close() {}
Core::Result<TableModelPtr> IProvider::execute_model(const std::string&, bool) { return TableModelPtr(); }
Core::Result<std::int64_t> IProvider::execute_affect(const std::string&, bool) { return -1; }
Core::Result<ValueObjectPtr> IProvider::execute_scalar(const std::string&, bool) { return ValueObjectPtr(); }
Core::Result<std::vector<Core::ObjectPtr>> IProvider::execute_statements(const std::string&, bool) {
  return std::vector<Core::ObjectPtr>();
}
Core::Result<std::shared_ptr<IDataReader>> IProvider::execute_reader(const std::string&) {
  return std::shared_ptr<IDataReader>();
}
Core::Result<bool> IProvider::transaction() { return false; }
Core::Status IProvider::commit() { return {}; }
Core::Status IProvider::rollback() { return {}; }
bool IProvider::get_is_opened() const { return false; }
void IProvider::interrupt() noexcept {}

}  // namespace Tolvane::Providers::Contracts
