#include "orvel/exceptions/sql_error.hpp"

namespace Tolvane::Orvel::Exceptions {

const char* sql_error_domain() { return "tolvane-orvel-exceptions-sql-error-quark"; }

Core::Error sql_error(SQLError code, std::string message) {
  return Core::Error{sql_error_domain(), static_cast<int>(code), std::move(message)};
}

}  // namespace Tolvane::Orvel::Exceptions

using Tolvane::Orvel::Exceptions::SQLError;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<SQLError>::info() {
  static const EnumInfo info(
      "TolvaneOrvelExceptionsSQLError", "TOLVANE_ORVEL_EXCEPTIONS_SQL_ERROR_", false,
      {{0, "app-error-start"},   {1, "cryptography"},   {10000, "mysql-error-start"}, {20000, "postgresql-error-start"},
       {30000, "sqlite-error-start"}, {30001, "unknown"}, {30002, "error"},          {30003, "internal"},
       {30004, "access-denied"}, {30005, "aborted"},     {30006, "busy"},            {30007, "locked"},
       {30008, "no-memory"},     {30009, "read-only"},   {30010, "interrupted"},     {30011, "io"},
       {30012, "corrupt"},       {30013, "not-found"},   {30014, "full"},            {30015, "can-not-open"},
       {30016, "protocol"},      {30017, "empty"},       {30018, "schema"},          {30019, "too-big"},
       {30020, "constraint"},    {30021, "mismatch"},    {30022, "misuse"},          {30023, "nolfs"},
       {30024, "auth"},          {30025, "format"},      {30026, "range"},           {30027, "notadb"},
       {30028, "data-type"},     {30029, "thread"},      {30030, "transaction"},     {30031, "feature-not-supported"},
       {30032, "no-sql"},        {30033, "missing-parameter"}});
  return info;
}
