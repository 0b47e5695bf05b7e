#include "orvel/contracts/database/db_meta_type.hpp"

namespace Tolvane::Orvel::Contracts::Database {

std::string to_string(DbMetaType type) { return Core::nick_of(type); }

}  // namespace Tolvane::Orvel::Contracts::Database

using Tolvane::Orvel::Contracts::Database::DbMetaType;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<DbMetaType>::info() {
  // No prefix: the registered value names are the bare upper-case names
  // ("COLUMN_DEFAULT"), unlike the provider library's enumerations.
  static const EnumInfo info(
      "TolvaneOrvelContractsDatabaseDbMetaType", "", false,
      {
       {0, "none"}, {1, "authentication"}, {2, "authentication-login"}, {3, "charset"},
       {4, "collation"}, {5, "column-default"}, {6, "column-name"}, {7, "column-type"},
       {8, "compression"}, {9, "compression-data"}, {10, "compression-xml"}, {11, "credential"},
       {12, "data-type"}, {13, "dataset-statement"}, {14, "deferred-action"}, {15, "endpoint"},
       {16, "explorable"}, {17, "foreignkey-action"}, {18, "foreignkey-match"}, {19, "identity-action"},
       {20, "index-algorithm"}, {21, "index-buffering"}, {22, "index-fast-update"}, {23, "index-key-block-size"},
       {24, "index-lock"}, {25, "index-method"}, {26, "index-parser"}, {27, "index-type"},
       {28, "insert-method"}, {29, "user-language"}, {30, "lock-escalation"}, {31, "login-asymmetric-key"},
       {32, "login-certificate"}, {33, "login-name"}, {34, "onconflict"}, {35, "operator-class"},
       {36, "order-normal"}, {37, "order-nulls"}, {38, "permission"}, {39, "plugin-auth"},
       {40, "role-application"}, {41, "role-database"}, {42, "role-owner"}, {43, "role-server"},
       {44, "routine-all"}, {45, "routine-direction"}, {46, "routine-function"}, {47, "routine-language"},
       {48, "routine-data-access"}, {49, "routine-procedure"}, {50, "routine-security"}, {51, "routine-type"},
       {52, "row-format"}, {53, "rule-action"}, {54, "rule-apply"}, {55, "rule-event"},
       {56, "sync-transfer"}, {57, "sync-structure"}, {58, "sync-data"}, {59, "servers"},
       {60, "table-commit"}, {61, "table-engine"}, {62, "table-inherits"}, {63, "table-flag"},
       {64, "table-name"}, {65, "table-namespace"}, {66, "table-owner"}, {67, "table-partition"},
       {68, "table-schema"}, {69, "table-storage"}, {70, "table-tablespace"}, {71, "table-template"},
       {72, "template-function"}, {73, "template-procedure"}, {74, "trigger-deferrable"}, {75, "trigger-deferred"},
       {76, "trigger-definition-type"}, {77, "trigger-executor"}, {78, "trigger-fire-event"}, {79, "trigger-fire-time"},
       {80, "trigger-fire-time-table"}, {81, "trigger-fire-time-view"}, {82, "trigger-for-each"}, {83, "trigger-order"},
       {84, "trigger-template"}, {85, "trigger-type"}, {86, "type-standard"}, {87, "type-user-defined"},
       {88, "version-method"}, {89, "version-position"}, {90, "virtual-type"}, {91, "view-algorithm"},
       {92, "view-security"}, {93, "view-check-option"}});
  return info;
}
