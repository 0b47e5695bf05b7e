#include <gtest/gtest.h>

#include "tessin/contracts/values.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

TEST(ValueForms, NumbersShowAsPrintfWould) {
  EXPECT_EQ(ValueDouble::create(1.5)->to_string(), "1.500000");
  EXPECT_EQ(ValueDouble::create(-0.0000004)->to_string(), "-0.000000");
  EXPECT_EQ(ValueFloat::create(0.1F)->to_string(), "0.100000");
  EXPECT_EQ(ValueDecimal::create(1e20)->to_string(), "100000000000000000000.000000");
  EXPECT_EQ(ValueInt64::create(-5)->to_string(), "-5");
  EXPECT_EQ(ValueInt8::create(-128)->to_string(), "-128");
  EXPECT_EQ(ValueUInt64::create(UINT64_MAX)->to_string(), "18446744073709551615");
  EXPECT_EQ(ValueBoolean::create(true)->to_string(), "true");
  EXPECT_EQ(ValueError::create(1, "no such table: t")->to_string(), "1:no such table: t");
}

TEST(ValueForms, NumericInterfacesAndTheirDefaults) {
  EXPECT_EQ(to_integer(*ValueUInt64::create(UINT64_MAX)), INT64_MAX);
  EXPECT_EQ(to_integer(*ValueUInt64::create(7)), 7);
  EXPECT_EQ(to_integer(*ValueBoolean::create(true)), 1);
  EXPECT_EQ(to_unsigned(*ValueUInt32::create(4000000000U)), 4000000000U);
  EXPECT_EQ(to_integer(*ValueString::create("5")), -1);
  EXPECT_EQ(to_unsigned(*ValueInt64::create(5)), 0U);
  EXPECT_DOUBLE_EQ(to_double(*ValueMoney::create(2.25)), 2.25);
  EXPECT_DOUBLE_EQ(to_double(*ValueInt64::create(2)), 0.0);
}

TEST(ValueForms, BinaryShowsTextUpToZeroOrHexadecimal) {
  const std::uint8_t zero_a[] = {0x00, 0x41};
  const std::uint8_t ff_a[] = {0xFF, 0x41};
  const std::uint8_t text_zero[] = {'h', 'i', 0x00, 0xFF};
  EXPECT_EQ(ValueBinary::create(zero_a, 2)->to_string(), "");
  EXPECT_EQ(ValueBinary::create(ff_a, 2)->to_string(), "FF41");
  EXPECT_EQ(ValueBlob::create(text_zero, 4)->to_string(), "hi");
  EXPECT_EQ(ValueBinary::create()->to_string(), "");
  EXPECT_EQ(ValueBinary::create()->to_hexadecimal(), "");
  EXPECT_TRUE(ValueBinary::create()->to_bytes().empty());
}

TEST(ValueForms, NullShowsEmptyButConvertsToTheStringNull) {
  auto null = ValueNull::create();
  EXPECT_EQ(null->to_string(), "");
  Core::GValueHolder value = null->to_value();
  ASSERT_EQ(value.type(), G_TYPE_STRING);
  EXPECT_STREQ(g_value_get_string(value.get()), "NULL");
  EXPECT_TRUE(null->get_is_null());
  EXPECT_FALSE(ValueObject::create()->get_is_null());
  EXPECT_FALSE(ValueString::create("")->get_is_null());
  EXPECT_EQ(std::get<std::string>(*null->get_property("itsvalue")), "NULL");
}

TEST(ValueForms, GLibFormsHaveTheDocumentedTypes) {
  EXPECT_EQ(ValueInt8::create(1)->to_value().type(), G_TYPE_CHAR);
  EXPECT_EQ(ValueInt16::create(1)->to_value().type(), G_TYPE_INT);
  EXPECT_EQ(ValueUInt16::create(1)->to_value().type(), G_TYPE_UINT);
  EXPECT_EQ(ValueUInt64::create(1)->to_value().type(), G_TYPE_UINT64);
  EXPECT_EQ(ValueFloat::create(1)->to_value().type(), G_TYPE_FLOAT);
  EXPECT_EQ(ValueMoney::create(1)->to_value().type(), G_TYPE_DOUBLE);
  EXPECT_EQ(ValueSet::create("a")->to_value().type(), G_TYPE_STRING);
  EXPECT_EQ(ValueObject::create()->to_value().type(), G_TYPE_STRING);
  EXPECT_EQ(ValueDate::dmy(2024, 2, 29)->to_value().type(), G_TYPE_DATE);
  EXPECT_EQ(ValueTime::hms(1, 2, 3)->to_value().type(), G_TYPE_DATE_TIME);

  auto error = ValueError::create(7, "bad")->to_value();
  ASSERT_EQ(error.type(), G_TYPE_ERROR);
  auto* gerror = static_cast<GError*>(g_value_get_boxed(error.get()));
  EXPECT_STREQ(g_quark_to_string(gerror->domain), "SQL");
  EXPECT_EQ(gerror->code, 7);

  const std::uint8_t bytes[] = {1, 2, 3};
  auto blob = ValueBlob::create(bytes, 3);
  auto held = blob->to_value();
  EXPECT_EQ(g_value_get_boxed(held.get()), blob->get_itsvalue().get()) << "the GLib form shares the buffer";
}

TEST(ValueForms, NamesTypesAndDump) {
  EXPECT_EQ(ValueFlags::create("a")->get_data_type(), DataType::Flags);
  EXPECT_EQ(ValueInt8::create(0)->get_name(), "byte");
  EXPECT_EQ(ValueBoolean::create()->get_name(), "bool");
  EXPECT_EQ(ValueObject::create()->get_name(), "UNKNOWN");
  EXPECT_EQ(ValueInt64::create(3)->dump(), "TolvaneProvidersContractsValueInt64 => 3");
  EXPECT_EQ(std::get<std::string>(*ValueInt64::create(3)->get_property("name")), "int64");
  EXPECT_EQ(std::get<std::int64_t>(*ValueInt64::create(3)->get_property("data-type")), 6);
}

TEST(ValueForms, ClonesAreIndependentAndOfTheSameClass) {
  auto original = ValueString::create("a");
  auto copy = std::dynamic_pointer_cast<ValueString>(original->clone());
  ASSERT_NE(copy, nullptr);
  copy->set_itsvalue("b");
  EXPECT_EQ(original->get_itsvalue(), "a");
  EXPECT_EQ(ValueUuid::uuid("x")->clone()->type().name(), "TolvaneProvidersContractsValueUuid");
  EXPECT_EQ(ValueObject::create()->clone()->type().name(), "TolvaneProvidersContractsValueObject");

  auto members = ValueEnum::create("b");
  members->initialize({"a", "b"});
  auto enum_copy = std::dynamic_pointer_cast<ValueEnum>(members->clone());
  EXPECT_EQ(enum_copy->get_itsvalue(), "b");
  EXPECT_TRUE(enum_copy->members().empty());

  auto error = std::dynamic_pointer_cast<ValueError>(ValueError::create(3, "m")->clone());
  EXPECT_EQ(error->get_code(), 3);
  EXPECT_EQ(error->get_message(), "m");
}

TEST(ValueForms, SettersNotifyOnEveryCall) {
  auto value = ValueInt32::create(1);
  int calls = 0;
  value->signal_notify().connect([&](std::string_view name) {
    EXPECT_EQ(name, "itsvalue");
    ++calls;
  });
  value->set_itsvalue(1);
  value->set_itsvalue(1);
  EXPECT_EQ(calls, 2);
}

TEST(ValueForms, Utf16ConvertsBothWays) {
  auto text = ValueUtf16::string("héllo");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->get_itsvalue().size(), 5u);
  EXPECT_EQ(text->to_string(), "héllo");
  EXPECT_EQ(text->clone()->to_string(), "héllo");

  Testing::GLibLogCapture log;
  EXPECT_EQ(ValueUtf16::string("\xff"), nullptr);
  EXPECT_FALSE(log.lines().empty());

  auto broken = ValueUtf16::create(std::u16string(1, static_cast<char16_t>(0xD800)));
  EXPECT_EQ(broken->to_string(), "");
  EXPECT_EQ(g_value_get_string(broken->to_value().get()), nullptr);
}

TEST(ValueForms, GeographyReadsUnsignedCoordinates) {
  auto point = ValueGeography::create("12.5, 40.25");
  EXPECT_DOUBLE_EQ(point->latitude(), 12.5);
  EXPECT_DOUBLE_EQ(point->longitude(), 40.25);
  EXPECT_DOUBLE_EQ(ValueGeography::create("")->latitude(), 0);
  EXPECT_DOUBLE_EQ(ValueGeography::create("somewhere")->longitude(), 0);
  EXPECT_DOUBLE_EQ(ValueGeography::create("-3.5, 4.5")->latitude(), 3.5);
  EXPECT_DOUBLE_EQ(ValueGeography::create("3.5,-4.5")->latitude(), 0) << "the right side must be unsigned";
  EXPECT_DOUBLE_EQ(ValueGeography::create("line\n1.5,2")->longitude(), 2.0);
}

TEST(ValueForms, TimeSpanShowsItsNumber) {
  auto span = ValueTimeSpan::interval(9, -42);
  EXPECT_EQ(span->to_string(), "-42");
  EXPECT_EQ(span->to_value().type(), G_TYPE_INT64);
  EXPECT_EQ(std::dynamic_pointer_cast<ValueTimeSpan>(span->clone())->get_itsvalue(), -42);
}

TEST(DataTypes, NicksAndGLibTypes) {
  EXPECT_EQ(to_string(DataType::Int64), "int64");
  EXPECT_EQ(to_string(DataType::DbNull), "dbnull");
  EXPECT_EQ(Core::enum_info<DataType>().by_value(26)->name, "TOLVANE_PROVIDERS_CONTRACTS_DATA_TYPE_UUID");
  EXPECT_EQ(Core::enum_info<DataType>().values().size(), 37u);
  EXPECT_EQ(get_glib_type(DataType::Int8), G_TYPE_CHAR);
  EXPECT_EQ(get_glib_type(DataType::UInt32), G_TYPE_INT);
  EXPECT_EQ(get_glib_type(DataType::TimeSpan), G_TYPE_INT64);
  EXPECT_EQ(get_glib_type(DataType::Time), G_TYPE_POINTER);
  EXPECT_EQ(get_glib_type(DataType::Blob), G_TYPE_BYTES);
  EXPECT_EQ(get_glib_type(DataType::Uuid), G_TYPE_STRING);
  EXPECT_STREQ(g_type_name(get_glib_type(DataType::DbNull)), "TolvaneProvidersContractsValueNull");

  EXPECT_EQ(get_data_type(G_TYPE_LONG), DataType::Int32);
  EXPECT_EQ(get_data_type(G_TYPE_STRING), DataType::String);
  EXPECT_EQ(get_data_type(G_TYPE_DATE_TIME), DataType::DateTime);  // "GDateTime"
  EXPECT_EQ(get_data_type(G_TYPE_OBJECT), DataType::Object);
  EXPECT_EQ(get_data_type(G_TYPE_DATE), DataType::Date);
  EXPECT_EQ(get_data_type(G_TYPE_VARIANT), DataType::Unknown);
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
