#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "tessin/contracts/data_set_model.hpp"
#include "tessin/contracts/values.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

using Change = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>;

struct Recorder {
  std::vector<Change> changes;
  void watch(Core::IListModel& model) {
    model.signal_items_changed().connect(
        [this](std::uint32_t p, std::uint32_t r, std::uint32_t a) { changes.emplace_back(p, r, a); });
  }
};

RowModelPtr row_of(std::initializer_list<std::int64_t> numbers, DataVersion version = DataVersion::Initial) {
  auto row = RowModel::create();
  for (std::int64_t n : numbers) {
    row->get_values().push_back(ValueInt64::create(n));
  }
  row->set_version(version);
  return row;
}

TableModelPtr two_by_three() {
  const std::array<DataType, 3> types{DataType::Int64, DataType::Int64, DataType::Int64};
  auto model = TableModel::with_types(types);
  model->get_rows().push_back(row_of({1, 2, 3}));
  model->get_rows().push_back(row_of({4, 5, 6}));
  return model;
}

TEST(TableModel, OutOfRangeCellsAreNull) {
  auto model = two_by_three();
  EXPECT_EQ(model->get_value_at(0, 5), nullptr);
  EXPECT_EQ(model->get_value_at(3, 0), nullptr);
  EXPECT_EQ(model->get_value_at(-1, 0), nullptr);
  EXPECT_EQ(model->get_value_at(2, 1)->to_string(), "6");
  EXPECT_EQ(model->get_n_items(), 2u);
  EXPECT_EQ(model->get_object(2), nullptr);
}

TEST(TableModel, SetValueOutsideTheTableChangesNothing) {
  auto model = two_by_three();
  Testing::GLibLogCapture log;
  model->set_value_at(3, 0, ValueInt64::create(9));
  model->set_value_at(0, 2, ValueInt64::create(9));
  model->set_value_at(0, 0, nullptr);
  EXPECT_EQ(log.lines().size(), 3u);
  EXPECT_EQ(model->get_value_at(0, 0)->to_string(), "1");
  model->set_value_at(1, 1, ValueInt64::create(9));
  EXPECT_EQ(model->get_value_at(1, 1)->to_string(), "9");
}

TEST(TableModel, CreateAppendsAFactoryTemplateRow) {
  const std::array<DataType, 2> types{DataType::Int64, DataType::String};
  auto model = TableModel::with_types(types);
  Recorder recorder;
  recorder.watch(*model);
  int position = -1;
  RowModelPtr row = model->create(position);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(row->get_version(), DataVersion::Insert);
  EXPECT_EQ(row->get_value_at(0)->type().name(), "TolvaneProvidersContractsValueInt64");
  EXPECT_EQ(row->get_value_at(0)->to_string(), "0");
  EXPECT_EQ(row->get_value_at(1)->type().name(), "TolvaneProvidersContractsValueString");
  EXPECT_EQ(row->get_value_at(1)->to_string(), "");
  EXPECT_EQ(recorder.changes, (std::vector<Change>{{0, 0, 1}}));
  EXPECT_EQ(model->template_()->get_values().size(), 2u);
  EXPECT_EQ(model->get_rows().size(), 1u) << "template_ does not add";
}

TEST(TableModel, AppendAndInsertReportTheFirstPositionOfTheRow) {
  auto model = two_by_three();
  Recorder recorder;
  recorder.watch(*model);
  auto first = model->get_rows()[0];
  EXPECT_EQ(model->append(first), 0) << "a row held twice reports its first position";
  EXPECT_EQ(model->append(row_of({7, 8, 9})), 3);
  EXPECT_EQ(model->insert(-1, row_of({0, 0, 0})), 4);
  EXPECT_EQ(model->insert(1, row_of({0, 0, 0})), 1);
  EXPECT_EQ(model->insert(0, first), 0);
  EXPECT_EQ(recorder.changes, (std::vector<Change>{{0, 0, 1}, {3, 0, 1}, {4, 0, 1}, {1, 0, 1}, {0, 0, 1}}));

  // A row held by another table is still found by position in this one.
  auto other = two_by_three();
  auto shared = row_of({1, 1, 1});
  other->append(shared);
  const int appended = model->append(shared);
  EXPECT_EQ(appended, static_cast<int>(model->get_rows().size()) - 1);
}

TEST(TableModel, DeleteFindAndClear) {
  auto model = two_by_three();
  Recorder recorder;
  recorder.watch(*model);
  auto stranger = row_of({0, 0, 0});
  model->delete_(stranger);
  EXPECT_TRUE(recorder.changes.empty());
  EXPECT_EQ(model->get_rows().size(), 2u);

  int position = -1;
  EXPECT_FALSE(model->find(stranger, position));
  EXPECT_EQ(position, 0);
  auto second = model->get_rows()[1];
  EXPECT_TRUE(model->find(second, position));
  EXPECT_EQ(position, 1);

  EXPECT_EQ(model->delete_at(2), nullptr);
  EXPECT_EQ(model->delete_at(0)->get_value_at(0)->to_string(), "1");
  model->delete_(second);
  EXPECT_EQ(recorder.changes, (std::vector<Change>{{0, 1, 0}, {0, 1, 0}}));
  EXPECT_FALSE(model->find(second, position));

  auto again = two_by_three();
  Recorder cleared;
  cleared.watch(*again);
  again->clear(false);
  EXPECT_EQ(again->get_columns().size(), 3u);
  EXPECT_EQ(cleared.changes, (std::vector<Change>{{0, 2, 0}}));
  again->clear(true);
  EXPECT_TRUE(again->get_columns().empty());
}

TEST(TableModel, RowVersionTransitions) {
  auto model = two_by_three();
  model->append(row_of({0, 0, 0}, DataVersion::Insert));
  model->append(row_of({0, 0, 0}, DataVersion::Delete));
  Recorder recorder;
  recorder.watch(*model);

  model->update_row_version(2, DataVersion::Delete);  // insert row: removed
  EXPECT_EQ(model->get_rows().size(), 3u);
  EXPECT_EQ(recorder.changes, (std::vector<Change>{{2, 1, 0}}));

  model->update_row_version(0, DataVersion::Delete);  // initial row: marked
  EXPECT_EQ(model->get_rows()[0]->get_version(), DataVersion::Delete);
  model->update_row_version(2, DataVersion::Update);  // delete row stays delete
  EXPECT_EQ(model->get_rows()[2]->get_version(), DataVersion::Delete);
  model->update_row_version(1, DataVersion::Update);
  EXPECT_EQ(model->get_rows()[1]->get_version(), DataVersion::Update);
  model->update_row_version(1, DataVersion::Insert);  // anything else: nothing
  EXPECT_EQ(model->get_rows()[1]->get_version(), DataVersion::Update);

  Testing::GLibLogCapture log;
  model->update_row_version(3, DataVersion::Delete);
  EXPECT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(model->get_rows().size(), 3u);
}

TEST(RowModel, CloneCopiesVersionAndValues) {
  auto row = row_of({1, 2}, DataVersion::Update);
  auto copy = row->clone();
  EXPECT_EQ(copy->get_version(), DataVersion::Update);
  ASSERT_EQ(copy->get_values().size(), 2u);
  EXPECT_NE(copy->get_value_at(0), row->get_value_at(0));
  EXPECT_EQ(copy->get_value_at(1)->to_string(), "2");
  EXPECT_EQ(row->get_value_at(2), nullptr);
  EXPECT_EQ(row->get_item_type().name(), "TolvaneProvidersContractsValueObject");
}

TEST(DataSetModel, ItemsAreTheTables) {
  auto set = DataSetModel::create();
  set->get_tables().push_back(two_by_three());
  EXPECT_EQ(set->get_n_items(), 1u);
  EXPECT_NE(std::dynamic_pointer_cast<TableModel>(set->get_object(0)), nullptr);
  EXPECT_EQ(data_version_all(), static_cast<DataVersion>(15));
  EXPECT_EQ(Core::nick_of(DataVersion::Delete), "delete");
  EXPECT_EQ(Core::enum_info<DataVersion>().by_value(8)->name, "TOLVANE_PROVIDERS_CONTRACTS_DATA_VERSION_UPDATE");
}

TEST(ColumnModel, ConstructorsAndNotification) {
  auto column = ColumnModel::full_size("id", DataType::Int64, 8);
  EXPECT_EQ(column->get_name(), "id");
  EXPECT_EQ(column->get_data_size(), 8u);
  EXPECT_FALSE(column->get_title().has_value());
  EXPECT_EQ(ColumnModel::with_type(DataType::Blob)->get_name(), "");
  int calls = 0;
  column->signal_notify().connect([&](std::string_view) { ++calls; });
  column->set_name("id");
  column->set_title(std::string("Id"));
  column->set_title(std::string("Id"));
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
