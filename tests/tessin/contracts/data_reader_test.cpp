#include <gtest/gtest.h>

#include "tessin/contracts/data_reader.hpp"
#include "tessin/contracts/values.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

// A reader over one row of declared types, null where the text is absent.
class FakeReader final : public IDataReader {
 public:
  struct Cell {
    DataType type;
    std::optional<std::string> text;
  };
  explicit FakeReader(std::vector<Cell> cells) : m_cells(std::move(cells)) {}

  Core::Result<bool> is_null(Column col) override { return !m_cells.at(col).text.has_value(); }
  Core::Result<DataType> get_data_type(Column col) override { return m_cells.at(col).type; }
  Core::Result<std::int64_t> get_int64(Column col) override { return std::stoll(*m_cells.at(col).text); }
  Core::Result<std::string> get_string(Column col) override { return *m_cells.at(col).text; }
  Core::Result<double> get_double(Column col) override {
    if (*m_cells.at(col).text == "fail") {
      return Core::fail("SQLite", 21, "bad parameter or other API misuse");
    }
    return std::stod(*m_cells.at(col).text);
  }
  int get_field_count() const override { return static_cast<int>(m_cells.size()); }

 private:
  std::vector<Cell> m_cells;
};

class EmptyReader final : public IDataReader {};

TEST(DataReader, NullCellsAreValueNullWhateverTheType) {
  FakeReader reader({{DataType::Int64, std::nullopt}, {DataType::Blob, std::nullopt}});
  EXPECT_TRUE((*reader.get_value(0))->get_is_null());
  EXPECT_TRUE((*reader.get_value(1))->get_is_null());
}

TEST(DataReader, ValuesFollowTheDataType) {
  FakeReader reader({{DataType::Int64, "42"}, {DataType::String, "x"}, {DataType::Double, "1.5"},
                     {DataType::Pointer, "p"}, {DataType::Geography, "1,2"}, {DataType::Variant, "v"}});
  auto values = reader.get_values();
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 6u);
  EXPECT_EQ((*values)[0]->type().name(), "TolvaneProvidersContractsValueInt64");
  EXPECT_EQ((*values)[0]->to_string(), "42");
  EXPECT_EQ((*values)[1]->type().name(), "TolvaneProvidersContractsValueString");
  EXPECT_EQ((*values)[2]->to_string(), "1.500000");
  EXPECT_EQ((*values)[3]->type().name(), "TolvaneProvidersContractsValueString") << "pointer reads as text";
  EXPECT_EQ((*values)[4]->type().name(), "TolvaneProvidersContractsValueGeography");
  EXPECT_EQ((*values)[4]->to_string(), "") << "the default geography text";
  EXPECT_TRUE((*values)[5]->get_is_null()) << "the default variant";
}

TEST(DataReader, AReaderErrorIsPassedOnAndStopsTheRow) {
  FakeReader reader({{DataType::Int64, "1"}, {DataType::Double, "fail"}, {DataType::Int64, "3"}});
  auto values = reader.get_values();
  ASSERT_FALSE(values.has_value());
  EXPECT_EQ(values.error(), (Core::Error{"SQLite", 21, "bad parameter or other API misuse"}));
}

TEST(DataReader, UnimplementedSlotsGiveTheirDefaults) {
  EmptyReader reader;
  EXPECT_EQ(*reader.read(), false);
  EXPECT_EQ(*reader.get_int8(0), -1);
  EXPECT_EQ(*reader.get_int64(0), -1);
  EXPECT_EQ(*reader.get_uint64(0), 0u);
  EXPECT_EQ(*reader.get_double(0), -1.0);
  EXPECT_EQ(*reader.get_float(0), -1.0F);
  EXPECT_EQ(*reader.get_string(0), "");
  GDate date = *reader.get_date(0);
  EXPECT_FALSE(g_date_valid(&date));
  EXPECT_EQ(g_bytes_get_size(reader.get_object(0)->get()), 0u);
  EXPECT_TRUE(*reader.get_timestamp(0));
  EXPECT_EQ(*reader.bulk(), 0);
  EXPECT_TRUE(reader.get_values()->empty());
  // Unknown data type reads as text.
  EXPECT_EQ((*reader.get_value(0))->type().name(), "TolvaneProvidersContractsValueString");
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
