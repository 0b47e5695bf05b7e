#pragma once

#include <string>

#include "tessin/core/enum_info.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

// The kinds of database objects.
enum class DBObject : int {
  Unknown = 0,
  Aggregate,
  Assembly,
  Backup,
  Check,
  Cast,
  Class,
  Classifier,
  Column,
  Contraint,  // spelled so in its nick, "contraint"
  Conversion,
  Database,
  Device,
  Domain,
  Endpoint,
  Event,
  Exclude,
  Foreign,
  Function,
  Index,
  Job,
  Language,
  Materialized,
  Operator,
  Package,
  PartitionFunction,
  PartitionScheme,
  Primary,
  Procedure,
  Query,
  Report,
  Role,
  Routine,
  Rule,
  Schema,
  Sequence,
  Server,
  Statistics,
  Synonym,
  Table,
  Tablespace,
  Trigger,
  Type,
  Unique,
  User,
  View,
};

// The nick ("table", "contraint", "partition-function").
TESSIN_API std::string to_string(DBObject kind);

}  // namespace Tolvane::Providers::Contracts

template <>
struct TESSIN_API Tolvane::Core::EnumTraits<Tolvane::Providers::Contracts::DBObject> {
  static const EnumInfo& info();
};
