#include "orvel/transform/patcher.hpp"

#include <gtest/gtest.h>

#include "tessin/contracts/values.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Transform {
namespace {

using namespace MetaModel;
using Providers::Contracts::DataSetModel;
using Providers::Contracts::RowModel;
using Providers::Contracts::RowModelPtr;
using Providers::Contracts::TableModelPtr;
using Providers::Contracts::DataSetModelPtr;
using Providers::Contracts::TableModel;

MetaTablePtr table(const std::string& database, const std::string& schema, const std::string& name,
                   std::initializer_list<const char*> columns) {
  auto made = MetaTable::with_names(database, schema, name);
  int ordinal = 0;
  for (const char* column : columns) {
    auto added = made->new_column(column, Providers::Contracts::DataType::String);
    added->set_database(database);
    added->set_schema(schema);
    added->set_ordinal(static_cast<std::uint16_t>(++ordinal));
  }
  return made;
}

std::vector<std::pair<std::string, DataVersion>> marks(const std::vector<MetaColumnPtr>& columns) {
  std::vector<std::pair<std::string, DataVersion>> found;
  for (const auto& column : columns) {
    found.emplace_back(column->get_name(), column->get_version());
  }
  return found;
}

TEST(Patcher, NamesCountOnlyWhenAsked) {
  const Patcher patcher;
  EXPECT_EQ(patcher.diff_meta_table(table("one", "main", "t", {"a"}), table("two", "main", "t", {"a"}), false), 1);
  EXPECT_EQ(patcher.diff_meta_table(table("one", "main", "t", {"a"}), table("two", "main", "t", {"a"}), true), 8);
}

TEST(Patcher, NeutralisesOnlyTheNameMembers) {
  const Patcher patcher;
  // Target schema "a" against source "main": the same table compares equal...
  EXPECT_EQ(patcher.diff_meta_table(table("d", "main", "t", {"x"}), table("d", "a", "t", {"x"}), false), 1);
  // ...while a column that happens to carry a schema's name is still itself.
  MetaTablePtr patch;
  EXPECT_EQ(patcher.diff_meta_table(table("d", "main", "t", {"main"}), table("d", "a", "t", {"a"}), false, &patch), 8);
  ASSERT_NE(patch, nullptr);
  EXPECT_EQ(patch->get_columns().size(), 2u);
}

TEST(Patcher, TablePatchListsTargetPassFirstForColumns) {
  const Patcher patcher;
  MetaTablePtr patch;
  ASSERT_EQ(patcher.diff_meta_table(table("d", "main", "t", {"a", "old"}), table("d", "main", "t", {"a", "new"}), false,
                                    &patch),
            8);
  ASSERT_NE(patch, nullptr);
  EXPECT_EQ(patch->get_version(), DataVersion::Update);
  using P = std::pair<std::string, DataVersion>;
  EXPECT_EQ(marks(patch->get_columns()),
            (std::vector<P>{{"new", DataVersion::Insert}, {"a", DataVersion::Identical}, {"old", DataVersion::Delete}}));
}

TEST(Patcher, CommentOnlyDifferenceGoesIntoOptions) {
  const Patcher patcher;
  auto source = table("d", "main", "t", {"a", "b"});
  auto target = table("d", "main", "t", {"a", "b"});
  target->set_comment("kept");
  MetaTablePtr patch;
  ASSERT_EQ(patcher.diff_meta_table(source, target, false, &patch), 8);
  EXPECT_EQ(patch->get_options().at("COMMENT"), "kept");
  for (const auto& column : patch->get_columns()) {
    EXPECT_EQ(column->get_version(), DataVersion::Identical);
  }
}

TEST(Patcher, SchemaMarksRunOneWayDownToTheColumns) {
  const Patcher patcher;
  auto source = MetaSchema::with_names("d", "main");
  auto target = MetaSchema::with_names("d", "main");
  source->get_tables() = {table("d", "main", "only_source", {"a"}), table("d", "main", "both", {"a", "b", "x"})};
  target->get_tables() = {table("d", "main", "both", {"a", "b", "y"}), table("d", "main", "only_target", {"a"})};
  source->get_tables()[1]->get_options()["WITHOUTROWID"] = "true";
  MetaSchemaPtr patch;
  ASSERT_EQ(patcher.diff_meta_schema(source, target, false, &patch), 8);
  ASSERT_EQ(patch->get_tables().size(), 3u);
  EXPECT_EQ(patch->get_tables()[0]->get_name(), "only_source");
  EXPECT_EQ(patch->get_tables()[0]->get_version(), DataVersion::Insert);
  EXPECT_EQ(patch->get_tables()[2]->get_name(), "only_target");
  EXPECT_EQ(patch->get_tables()[2]->get_version(), DataVersion::Delete);

  // Inside the table patch, as at the schema level: what only the source has
  // is to be inserted, what only the target has to be deleted.
  const auto& both = patch->get_tables()[1];
  EXPECT_EQ(both->get_name(), "both");
  EXPECT_EQ(both->get_version(), DataVersion::Update);
  using P = std::pair<std::string, DataVersion>;
  EXPECT_EQ(marks(both->get_columns()), (std::vector<P>{{"x", DataVersion::Insert},
                                                         {"a", DataVersion::Identical},
                                                         {"b", DataVersion::Identical},
                                                         {"y", DataVersion::Delete}}));
  // The options that differ carry the source's values.
  EXPECT_EQ(both->get_options().at("WITHOUTROWID"), "true");
}

TEST(Patcher, DatabasePatchLeavesOutIdenticalSchemas) {
  const Patcher patcher;
  auto source = MetaDatabase::with_name("d");
  auto target = MetaDatabase::with_name("d");
  for (const auto& database : {source, target}) {
    auto same = MetaSchema::with_names("d", "main");
    same->get_tables().push_back(table("d", "main", "t", {"a"}));
    database->get_schemas().push_back(same);
  }
  auto changed = MetaSchema::with_names("d", "aux");
  changed->get_tables().push_back(table("d", "aux", "u", {"a"}));
  source->get_schemas().push_back(changed);
  auto other = MetaSchema::with_names("d", "aux");
  target->get_schemas().push_back(other);
  MetaDatabasePtr patch;
  ASSERT_EQ(patcher.diff_meta_database(source, target, false, &patch), 8);
  ASSERT_EQ(patch->get_schemas().size(), 1u);
  EXPECT_EQ(patch->get_schemas()[0]->get_name(), "aux");
  EXPECT_EQ(patch->get_schemas()[0]->get_version(), DataVersion::Update);
}

RowModelPtr row(std::vector<Providers::Contracts::ValueObjectPtr> values) {
  auto made = RowModel::create();
  made->get_values() = std::move(values);
  return made;
}

DataVersion mark(const Providers::Contracts::ValueObjectPtr& value) {
  const auto* found = value->get_data_as<DataVersion>("VERSION");
  return found ? *found : DataVersion::Initial;
}

TEST(Patcher, RowsCompareValueByValueByClassAndContent) {
  using namespace Providers::Contracts;
  const Patcher patcher;
  const std::uint8_t one[] = {0x00, 0x41};
  const std::uint8_t two[] = {0x00, 0x42};
  auto target = row({ValueInt64::create(5), ValueString::create("5"), ValueBlob::create(two, 2), ValueNull::create()});
  auto source = row({ValueInt64::create(5), ValueInt64::create(5), ValueBlob::create(one, 2), ValueNull::create()});
  RowModelPtr patch;
  ASSERT_EQ(patcher.diff_data_row(source, target, &patch), 8);
  ASSERT_EQ(patch->get_values().size(), 4u);
  EXPECT_EQ(mark(patch->get_values()[0]), DataVersion::Identical);
  EXPECT_EQ(mark(patch->get_values()[1]), DataVersion::Update);  // an integer is no text
  EXPECT_EQ(mark(patch->get_values()[2]), DataVersion::Update);  // blobs that differ after a NUL byte
  EXPECT_EQ(mark(patch->get_values()[3]), DataVersion::Identical);
  EXPECT_EQ(patch->get_values()[1], target->get_values()[1]);
  EXPECT_EQ(patcher.diff_data_row(row({ValueInt64::create(1)}), row({ValueInt64::create(1)})), 1);
}

TEST(Patcher, PositionsTheTargetLacksHaveNoCounterpart) {
  using namespace Providers::Contracts;
  const Patcher patcher;
  auto source = TableModel::create();
  auto target = TableModel::create();
  source->append(row({ValueInt64::create(1), ValueInt64::create(2)}));
  source->append(row({ValueInt64::create(3)}));
  target->append(row({ValueInt64::create(9)}));
  TableModelPtr patch;
  ASSERT_EQ(patcher.diff_data_table(source, target, &patch), 8);
  ASSERT_EQ(patch->get_rows().size(), 1u);
  EXPECT_EQ(patch->get_rows()[0]->get_version(), DataVersion::Update);
  EXPECT_EQ(patch->get_rows()[0]->get_values().size(), 1u);

  auto sources = DataSetModel::create();
  auto targets = DataSetModel::create();
  sources->get_tables() = {source, source};
  targets->get_tables() = {target};
  DataSetModelPtr set_patch;
  ASSERT_EQ(patcher.diff_data_set(sources, targets, &set_patch), 8);
  EXPECT_EQ(set_patch->get_tables().size(), 1u);
}

TEST(Patcher, MissingArgumentsAreProgrammingErrors) {
  Tolvane::Testing::GLibLogCapture log;
  const Patcher patcher;
  MetaTablePtr patch = MetaTable::create();
  EXPECT_EQ(patcher.diff_meta_table(nullptr, MetaTable::create(), false, &patch), 0);
  EXPECT_EQ(patch, nullptr);
  EXPECT_EQ(patcher.diff_data_row(RowModel::create(), nullptr), 0);
  EXPECT_TRUE(log.has_critical("target != NULL"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Transform
