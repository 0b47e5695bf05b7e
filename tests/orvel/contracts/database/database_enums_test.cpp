#include <gtest/gtest.h>

#include "orvel/contracts/database/db_status.hpp"
#include "orvel/contracts/database/sql_action.hpp"

namespace Tolvane::Orvel::Contracts::Database {
namespace {

struct Member {
  int value;
  const char* nick;
  const char* name;
};

void expect_members(const Core::EnumInfo& info, const std::vector<Member>& members) {
  ASSERT_EQ(info.values().size(), members.size()) << info.type_name();
  for (std::size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(info.values()[i].value, members[i].value);
    EXPECT_EQ(info.values()[i].nick, members[i].nick);
    EXPECT_EQ(info.values()[i].name, members[i].name);
  }
}

TEST(DatabaseEnums, DBStatus) {
  const Core::EnumInfo& info = Core::enum_info<DBStatus>();
  EXPECT_EQ(info.type_name(), "TolvaneOrvelContractsDatabaseDBStatus");
  expect_members(info, {{0, "unknown", "TOLVANE_ORVEL_CONTRACTS_DATABASE_DB_STATUS_UNKNOWN"},
                        {1, "closed", "TOLVANE_ORVEL_CONTRACTS_DATABASE_DB_STATUS_CLOSED"},
                        {2, "opened", "TOLVANE_ORVEL_CONTRACTS_DATABASE_DB_STATUS_OPENED"},
                        {3, "failed", "TOLVANE_ORVEL_CONTRACTS_DATABASE_DB_STATUS_FAILED"}});
  EXPECT_EQ(Core::nick_of(DBStatus::Failed), "failed");
}

TEST(DatabaseEnums, SqlAction) {
  const Core::EnumInfo& info = Core::enum_info<SqlAction>();
  EXPECT_EQ(info.type_name(), "TolvaneOrvelContractsDatabaseSqlAction");
  expect_members(info, {{0, "nothing", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_NOTHING"},
                        {1, "insert", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_INSERT"},
                        {2, "update", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_UPDATE"},
                        {3, "delete", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_DELETE"},
                        {4, "schema", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_SCHEMA"},
                        {5, "feature", "TOLVANE_ORVEL_CONTRACTS_DATABASE_SQL_ACTION_FEATURE"}});
  const std::vector<std::pair<SqlAction, std::string>> nicks = {
      {SqlAction::NOTHING, "nothing"}, {SqlAction::INSERT, "insert"}, {SqlAction::UPDATE, "update"},
      {SqlAction::DELETE, "delete"},   {SqlAction::SCHEMA, "schema"}, {SqlAction::FEATURE, "feature"}};
  for (const auto& [action, nick] : nicks) {
    EXPECT_EQ(to_string(action), nick);
  }
}

}  // namespace
}  // namespace Tolvane::Orvel::Contracts::Database
