#include "orvel/contracts/database/db_status.hpp"
#include "orvel/contracts/database/sql_action.hpp"

namespace Tolvane::Orvel::Contracts::Database {

std::string to_string(SqlAction action) { return Core::nick_of(action); }

}  // namespace Tolvane::Orvel::Contracts::Database

using Tolvane::Orvel::Contracts::Database::DBStatus;
using Tolvane::Orvel::Contracts::Database::SqlAction;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<DBStatus>::info() {
  static const EnumInfo info("TolvaneOrvelContractsDatabaseDBStatus", "TOLVANE_ORVEL_CONTRACTS_DATABASE_DB_STATUS_",
                             false, {{0, "unknown"}, {1, "closed"}, {2, "opened"}, {3, "failed"}});
  return info;
}

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<SqlAction>::info() {
  static const EnumInfo info(
      "TolvaneOrvelContractsDatabaseSqlAction", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_", false,
      {{0, "nothing"}, {1, "insert"}, {2, "update"}, {3, "delete"}, {4, "schema"}, {5, "feature"}});
  return info;
}
