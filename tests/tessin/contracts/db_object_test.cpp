#include <gtest/gtest.h>

#include "tessin/contracts/db_object.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

TEST(DBObject, NicksAndValueNames) {
  EXPECT_EQ(to_string(DBObject::Contraint), "contraint");
  EXPECT_EQ(static_cast<int>(DBObject::Table), 39);
  EXPECT_EQ(to_string(DBObject::Table), "table");
  EXPECT_EQ(to_string(DBObject::Schema), "schema");
  EXPECT_EQ(to_string(DBObject::View), "view");
  EXPECT_EQ(static_cast<int>(DBObject::View), 45);
  const auto& info = Core::enum_info<DBObject>();
  EXPECT_EQ(info.values().size(), 46u);
  EXPECT_EQ(info.by_value(25)->name, "TOLVANE_PROVIDERS_CONTRACTS_DB_OBJECT_PARTITION_FUNCTION");
  EXPECT_EQ(info.type_name(), "TolvaneProvidersContractsDBObject");
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
