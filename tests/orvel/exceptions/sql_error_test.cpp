#include <gtest/gtest.h>

#include "orvel/exceptions/sql_error.hpp"

namespace Tolvane::Orvel::Exceptions {
namespace {

TEST(SQLError, DomainAndErrors) {
  EXPECT_STREQ(sql_error_domain(), "tolvane-orvel-exceptions-sql-error-quark");
  const Core::Error error = sql_error(SQLError::NOTADB, "file is not a database");
  EXPECT_EQ(error, (Core::Error{"tolvane-orvel-exceptions-sql-error-quark", 30027, "file is not a database"}));
}

TEST(SQLError, CodesNamesAndNicksByRange) {
  const Core::EnumInfo& info = Core::enum_info<SQLError>();
  EXPECT_EQ(info.type_name(), "TolvaneOrvelExceptionsSQLError");
  EXPECT_FALSE(info.is_flags());

  // Only the SQLite range is filled in; the other families have their start.
  const std::vector<std::pair<int, std::string>> starts = {
      {0, "app-error-start"},         {1, "cryptography"},           {10000, "mysql-error-start"},
      {20000, "postgresql-error-start"}, {30000, "sqlite-error-start"}};
  const std::vector<std::string> sqlite = {
      "unknown",   "error",      "internal", "access-denied", "aborted",   "busy",      "locked",
      "no-memory", "read-only",  "interrupted", "io",         "corrupt",   "not-found", "full",
      "can-not-open", "protocol", "empty",   "schema",        "too-big",   "constraint", "mismatch",
      "misuse",    "nolfs",      "auth",     "format",        "range",     "notadb",    "data-type",
      "thread",    "transaction", "feature-not-supported", "no-sql", "missing-parameter"};
  std::vector<std::pair<int, std::string>> expected = starts;
  for (std::size_t i = 0; i < sqlite.size(); ++i) {
    expected.emplace_back(30001 + static_cast<int>(i), sqlite[i]);
  }

  ASSERT_EQ(info.values().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Core::EnumValue& value = info.values()[i];
    EXPECT_EQ(value.value, expected[i].first) << expected[i].second;
    EXPECT_EQ(value.nick, expected[i].second);
    std::string name = "TOLVANE_ORVEL_EXCEPTIONS_SQL_ERROR_" + expected[i].second;
    for (char& c : name) {
      c = c == '-' ? '_' : g_ascii_toupper(c);
    }
    EXPECT_EQ(value.name, name);
  }

  // The enumerators stand at the registered numbers.
  EXPECT_EQ(static_cast<int>(SQLError::UNKNOWN), 30001);
  EXPECT_EQ(static_cast<int>(SQLError::CAN_NOT_OPEN), 30015);
  EXPECT_EQ(static_cast<int>(SQLError::NOTADB), 30027);
  EXPECT_EQ(static_cast<int>(SQLError::MISSING_PARAMETER), 30033);
  EXPECT_EQ(Core::nick_of(SQLError::FEATURE_NOT_SUPPORTED), "feature-not-supported");
  SQLError parsed = SQLError::UNKNOWN;
  ASSERT_TRUE(Core::enum_from_nick("no-sql", parsed));
  EXPECT_EQ(parsed, SQLError::NO_SQL);
}

}  // namespace
}  // namespace Tolvane::Orvel::Exceptions
