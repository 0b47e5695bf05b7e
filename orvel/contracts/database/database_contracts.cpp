#include "orvel/contracts/database/connection.hpp"
#include "orvel/contracts/database/statement.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IConnection::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIConnection", {});
  return info;
}
IConnection::~IConnection() = default;

const Core::TypeInfo& IStatement::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIStatement", {});
  return info;
}
IStatement::~IStatement() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
