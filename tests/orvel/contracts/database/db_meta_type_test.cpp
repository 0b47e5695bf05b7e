#include <gtest/gtest.h>

#include <glib.h>

#include "orvel/contracts/database/db_meta_type.hpp"

namespace Tolvane::Orvel::Contracts::Database {
namespace {

TEST(DbMetaType, NumbersNamesAndNicks) {
  const Core::EnumInfo& info = Core::enum_info<DbMetaType>();
  EXPECT_EQ(info.type_name(), "TolvaneOrvelContractsDatabaseDbMetaType");
  ASSERT_EQ(info.values().size(), 94u);
  for (std::size_t i = 0; i < info.values().size(); ++i) {
    const Core::EnumValue& value = info.values()[i];
    EXPECT_EQ(value.value, static_cast<std::int64_t>(i));
    // The value name is the nick in upper case with '_' for '-', without a prefix.
    std::string expected = value.nick;
    for (char& c : expected) {
      c = c == '-' ? '_' : g_ascii_toupper(c);
    }
    EXPECT_EQ(value.name, expected);
  }
  EXPECT_EQ(to_string(DbMetaType::NONE), "none");
  EXPECT_EQ(to_string(DbMetaType::COLUMN_DEFAULT), "column-default");
  EXPECT_EQ(static_cast<int>(DbMetaType::COLUMN_DEFAULT), 5);
  EXPECT_EQ(info.by_value(5)->name, "COLUMN_DEFAULT");
  EXPECT_EQ(static_cast<int>(DbMetaType::SYNC_TRANSFER), 56);
  EXPECT_EQ(to_string(DbMetaType::USER_LANGUAGE), "user-language");
  EXPECT_EQ(to_string(DbMetaType::TRIGGER_TEMPLATE), "trigger-template");
  EXPECT_EQ(static_cast<int>(DbMetaType::TRIGGER_TEMPLATE), 84);
  EXPECT_EQ(to_string(DbMetaType::VIEW_CHECK_OPTION), "view-check-option");
  EXPECT_EQ(static_cast<int>(DbMetaType::VIEW_CHECK_OPTION), 93);
}

}  // namespace
}  // namespace Tolvane::Orvel::Contracts::Database
