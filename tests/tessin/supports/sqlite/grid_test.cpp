// The cells of a table model filled from a query share memory blocks; these
// tests hold them to the promises of ordinary value objects.

#include <thread>

#include "tessin/contracts/values.hpp"
#include "tessin/core/main_context.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports {
namespace {

using namespace Contracts;

class GridTest : public Testing::SQLiteTest {
 protected:
  // `rows` rows of an integer, a real, a short and a long text, a blob and an
  // integer that is null every third row.
  TableModelPtr grid(int rows) {
    m_provider = open("grid.db");
    auto made = m_provider->execute_affect(
        "CREATE TABLE IF NOT EXISTS g AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") SELECT i AS id, i * 0.5 AS half, 'r' || i AS label, printf('a longer text of row %020d', i) AS note, "
            "unhex(printf('FF00%02X', i % 256)) AS bytes, CASE WHEN i % 3 = 0 THEN NULL ELSE i END AS sometimes FROM n",
        false);
    EXPECT_TRUE(made.has_value());
    auto model = m_provider->execute_model("SELECT * FROM g ORDER BY id", false);
    EXPECT_TRUE(model.has_value());
    return model ? *model : nullptr;
  }

  SQLiteProviderPtr m_provider;
};

TEST_F(GridTest, CellsAreValueObjectsOfTheirClassWithTheirForms) {
  auto model = grid(3);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->get_rows().size(), 3u);
  const char* classes[] = {"TolvaneProvidersContractsValueInt64",  "TolvaneProvidersContractsValueDouble",
                           "TolvaneProvidersContractsValueString", "TolvaneProvidersContractsValueString",
                           "TolvaneProvidersContractsValueBlob",   "TolvaneProvidersContractsValueNull"};
  for (int col = 0; col < 6; ++col) {
    EXPECT_EQ(model->get_value_at(col, 2)->type().name(), classes[col]) << col;
  }
  EXPECT_EQ(model->get_value_at(0, 2)->to_string(), "3");
  EXPECT_EQ(model->get_value_at(1, 2)->to_string(), "1.500000");
  EXPECT_EQ(model->get_value_at(3, 2)->to_string(), "a longer text of row 00000000000000000003");
  EXPECT_EQ(model->get_value_at(4, 2)->to_string(), "FF0003");
  EXPECT_STREQ(g_value_get_string(model->get_value_at(5, 2)->to_value().get()), "NULL");
  EXPECT_EQ(g_value_get_int64(model->get_value_at(0, 0)->to_value().get()), 1);
  EXPECT_EQ(to_double(*model->get_value_at(1, 0)), 0.5);
  EXPECT_EQ(model->get_value_at(5, 0)->to_string(), "1");
}

TEST_F(GridTest, ACellIsTheSameObjectEachTimeAndOutlivesItsModel) {
  auto model = grid(2000);
  ASSERT_NE(model, nullptr);
  auto cell = model->get_value_at(3, 1500);
  EXPECT_EQ(model->get_value_at(3, 1500), cell);
  EXPECT_EQ(model->get_rows()[1500]->get_values()[3], cell);
  EXPECT_EQ(model->get_rows()[1500]->get_object(3), cell);
  auto row = model->get_rows()[10];

  model.reset();
  m_provider->close();
  EXPECT_EQ(cell->to_string(), "a longer text of row 00000000000000001501");
  EXPECT_EQ(row->get_value_at(0)->to_string(), "11");
  auto copy = row->clone();
  row.reset();
  EXPECT_EQ(copy->get_value_at(2)->to_string(), "r11");
}

TEST_F(GridTest, CellsCanBeReplacedChangedAndObserved) {
  auto model = grid(5);
  ASSERT_NE(model, nullptr);
  auto old = model->get_value_at(0, 1);
  model->set_value_at(0, 1, ValueInt64::create(42));
  EXPECT_EQ(model->get_value_at(0, 1)->to_string(), "42");
  EXPECT_EQ(old->to_string(), "2") << "a replaced cell stays valid for whoever holds it";

  auto text = std::dynamic_pointer_cast<ValueString>(model->get_value_at(2, 0));
  ASSERT_NE(text, nullptr);
  int notified = 0;
  text->signal_notify().connect([&](std::string_view) { ++notified; });
  text->set_itsvalue("changed");
  text->set_data("VERSION", 8);
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(model->get_value_at(2, 0)->to_string(), "changed");
  EXPECT_EQ(*model->get_value_at(2, 0)->get_data_as<int>("VERSION"), 8);
}

TEST_F(GridTest, AsynchronousWorkOnACellKeepsItAlive) {
  auto model = grid(5);
  ASSERT_NE(model, nullptr);
  Tolvane::Testing::write_text(m_dir.file("in.txt"), "loaded");
  auto cell = std::dynamic_pointer_cast<ValueString>(model->get_value_at(3, 4));
  ASSERT_NE(cell, nullptr);
  std::optional<Core::Status> outcome;
  cell->load(m_dir.file("in.txt"), [&](Core::Status status) { outcome = std::move(status); });
  // The load holds its own reference: nothing else does now.
  cell.reset();
  model.reset();
  ASSERT_TRUE(Core::iterate_until([&] { return outcome.has_value(); }, 5000));
  EXPECT_TRUE(outcome->has_value());
}

TEST_F(GridTest, CellsMayBeDroppedOnAnotherThread) {
  auto model = grid(3000);
  ASSERT_NE(model, nullptr);
  std::vector<ValueObjectPtr> column;
  for (const auto& row : model->get_rows()) {
    column.push_back(row->get_values()[2]);
  }
  std::thread worker([column = std::move(column)]() mutable {
    for (std::size_t i = 0; i < column.size(); ++i) {
      ASSERT_EQ(column[i]->to_string(), "r" + std::to_string(i + 1));
    }
    column.clear();
  });
  model.reset();
  worker.join();
}

}  // namespace
}  // namespace Tolvane::Providers::Supports
