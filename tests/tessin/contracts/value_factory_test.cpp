#include <gtest/gtest.h>

#include <cmath>

#include "tessin/contracts/values.hpp"
#include "tests/support/comma_locale.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

template <class T>
std::shared_ptr<T> made(DataType type, std::optional<std::string_view> text) {
  auto value = std::dynamic_pointer_cast<T>(IValue::factory(type, text));
  EXPECT_NE(value, nullptr) << to_string(type);
  return value;
}

TEST(ValueFactory, BooleanIsTrueOnlyForLowerCaseTrue) {
  EXPECT_TRUE(made<ValueBoolean>(DataType::Boolean, "true")->get_boolean());
  EXPECT_FALSE(made<ValueBoolean>(DataType::Boolean, "TRUE")->get_boolean());
  EXPECT_FALSE(made<ValueBoolean>(DataType::Boolean, std::nullopt)->get_boolean());
}

TEST(ValueFactory, NarrowIntegersReadLeadingDecimalsAndCutToWidth) {
  EXPECT_EQ(made<ValueInt8>(DataType::Int8, "300")->get_int8(), 44);
  EXPECT_EQ(made<ValueInt16>(DataType::Int16, "  -12abc")->get_int16(), -12);
  EXPECT_EQ(made<ValueInt32>(DataType::Int32, "0x10")->get_int32(), 0);
  EXPECT_EQ(made<ValueInt32>(DataType::Int32, "x")->get_int32(), 0);
  EXPECT_EQ(made<ValueInt32>(DataType::Int32, std::nullopt)->get_int32(), 0);
}

TEST(ValueFactory, WideAndUnsignedIntegersUseAutomaticBase) {
  EXPECT_EQ(made<ValueInt64>(DataType::Int64, "0x10")->get_int64(), 16);
  EXPECT_EQ(made<ValueInt64>(DataType::Int64, "010")->get_int64(), 8);
  EXPECT_EQ(made<ValueInt64>(DataType::Int64, "-9223372036854775808")->get_int64(), INT64_MIN);
  EXPECT_EQ(made<ValueUInt8>(DataType::UInt8, "0x1FF")->get_uint8(), 0xFF);
  EXPECT_EQ(made<ValueUInt16>(DataType::UInt16, "65537")->get_uint16(), 1);
  EXPECT_EQ(made<ValueUInt64>(DataType::UInt64, "18446744073709551615")->get_uint64(), UINT64_MAX);
  EXPECT_EQ(made<ValueTimeSpan>(DataType::TimeSpan, "0x20")->get_itsvalue(), 32);
}

TEST(ValueFactory, RealsParse) {
  EXPECT_DOUBLE_EQ(made<ValueDouble>(DataType::Double, "2.5e3")->get_itsvalue(), 2500.0);
  EXPECT_FLOAT_EQ(made<ValueFloat>(DataType::Float, "1.25xyz")->get_itsvalue(), 1.25F);
  // Money goes through single precision.
  EXPECT_DOUBLE_EQ(made<ValueMoney>(DataType::Money, "0.1")->get_itsvalue(), static_cast<double>(0.1F));
}

// Numbers are written with a '.', whatever the locale; the factory must read
// them back the same way where the user's locale writes a comma.
TEST(ValueFactory, RealTextReadsBackUnderACommaLocale) {
  Testing::CommaLocale german;
  if (!german.active()) {
    GTEST_SKIP() << german.why();
  }
  EXPECT_DOUBLE_EQ(made<ValueMoney>(DataType::Money, "2.5")->get_itsvalue(), 2.5);
  EXPECT_FLOAT_EQ(made<ValueFloat>(DataType::Float, "2.5")->get_itsvalue(), 2.5F);
  EXPECT_FLOAT_EQ(made<ValueFloat>(DataType::Float, "2,5")->get_itsvalue(), 2.0F) << "a comma ends the number";
  for (double number : {2.5, -1234.125, 0.1, 1e10}) {
    const std::string money = ValueMoney::create(number)->to_string();
    EXPECT_EQ(made<ValueMoney>(DataType::Money, money)->to_string(), money);
    const std::string real = ValueDouble::create(number)->to_string();
    EXPECT_EQ(made<ValueDouble>(DataType::Double, real)->to_string(), real);
    const auto narrow = static_cast<float>(number);
    EXPECT_EQ(made<ValueFloat>(DataType::Float, ValueFloat::create(narrow)->to_string())->get_itsvalue(), narrow)
        << number;
  }
}

TEST(ValueFactory, FloatTextIsRoundedOnceToSinglePrecision) {
  // Halfway between the floats 1 and 1 + 2^-23 plus a little: the nearest float
  // is the upper one, but rounding to double first lands exactly halfway and
  // then rounds to even, giving 1.
  EXPECT_EQ(made<ValueFloat>(DataType::Float, "1.00000005960464477539062500000001")->get_itsvalue(),
            std::nextafter(1.0F, 2.0F));
}

TEST(ValueFactory, TextKindsAndTheXmlFallback) {
  EXPECT_EQ(made<ValueString>(DataType::String, std::nullopt)->get_itsvalue(), "");
  EXPECT_EQ(IValue::factory(DataType::String, std::nullopt)->type().name(), "TolvaneProvidersContractsValueString");
  auto decimal = IValue::factory(DataType::Decimal, "1.5");
  EXPECT_EQ(decimal->type().name(), "TolvaneProvidersContractsValueXml");
  EXPECT_EQ(decimal->to_string(), "1.5");
  for (DataType other : {DataType::Unknown, DataType::Enum, DataType::WString, DataType::Geography, DataType::Error}) {
    EXPECT_EQ(IValue::factory(other, std::nullopt)->get_data_type(), DataType::Xml);
  }
  EXPECT_EQ(made<ValueUuid>(DataType::Uuid, std::nullopt)->get_itsvalue(), "");
  EXPECT_EQ(made<ValueJson>(DataType::Json, "{}")->get_itsvalue(), "{}");
  EXPECT_EQ(IValue::factory(DataType::Object, "x")->type().name(), "TolvaneProvidersContractsValueObject");
  EXPECT_TRUE(IValue::factory(DataType::DbNull, "x")->get_is_null());
}

TEST(ValueFactory, BinaryTakesTheTextBytes) {
  auto blob = made<ValueBlob>(DataType::Blob, "AB");
  EXPECT_EQ(blob->to_hexadecimal(), "4142");
  EXPECT_EQ(made<ValueBinary>(DataType::Binary, std::nullopt)->size(), 0u);
}

TEST(ValueFactory, DatesAndTimes) {
  EXPECT_EQ(IValue::factory(DataType::DateTime, "2024-03-01T12:30:45Z")->to_string(), "2024-03-01 12:30:45");
  EXPECT_EQ(IValue::factory(DataType::TimeStamp, "2024-03-01 12:30:45")->to_string(), "2024-03-01 12:30:45");
  EXPECT_EQ(IValue::factory(DataType::Date, "2024-03-01T00:00:00")->to_string(), "2024-03-01");
  // A bare date or a bare time of day is taken for what it says.
  EXPECT_EQ(IValue::factory(DataType::Date, "2024-03-01")->to_string(), "2024-03-01");
  EXPECT_EQ(IValue::factory(DataType::Time, "2024-03-01T10:20:30")->to_string(), "10:20:30");
  EXPECT_EQ(IValue::factory(DataType::Time, "10:20:30")->to_string(), "10:20:30");
  EXPECT_EQ(IValue::factory(DataType::Time, "not a time")->to_string(), "00:00:00");
  EXPECT_EQ(IValue::factory(DataType::Time, "25:00:00")->to_string(), "00:00:00");
  EXPECT_NE(IValue::factory(DataType::Date, std::nullopt)->to_string(), "(NULL)");
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
