#include <gtest/gtest.h>

#include <functional>

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/model/filled_nodes.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::MetaModel {
namespace {

using Providers::Contracts::DataType;

TEST(MetaObject, SettersNotifyOnRealChangesOnly) {
  auto node = MetaObject::create();
  std::vector<std::string> changed;
  node->signal_notify().connect([&changed](std::string_view name) { changed.emplace_back(name); });
  node->set_name("t");
  node->set_name("t");
  node->set_comment("");
  node->set_version(DataVersion::Update);
  node->set_attributes({{"k", "v"}});
  node->set_attributes({{"k", "v"}});
  EXPECT_EQ(changed, (std::vector<std::string>{"name", "version", "attributes"}));
}

TEST(MetaObject, ResetKeepsTheNamesAndDropsTheRest) {
  auto node = MetaObject::create();
  Testing::fill_values(*node, "x");
  node->set_data("FILLED", true);
  node->reset();
  EXPECT_EQ(node->get_database(), "database-x");
  EXPECT_EQ(node->get_schema(), "schema-x");
  EXPECT_EQ(node->get_name(), "name-x");
  EXPECT_EQ(node->get_comment(), "");
  EXPECT_EQ(node->get_original(), "");
  EXPECT_TRUE(node->get_attributes().empty());
  EXPECT_EQ(node->get_version(), DataVersion::Initial);
  EXPECT_FALSE(node->has_data("FILLED"));
}

TEST(MetaObject, JsonFollowsThePropertyOrderWithDefaultsLeftOut) {
  EXPECT_EQ(MetaTable::create()->to_json(),
            R"({"database":"","schema":"","name":"","comment":"","attributes":{},"original":"",)"
            R"("constraints":[],"columns":[],"indexes":[],"rules":[],"triggers":[],"options":{}})");

  auto column = MetaColumn::with_type("id", DataType::Int64, "INTEGER");
  column->set_ordinal(3);
  column->set_not_null(true);
  column->set_version(DataVersion::Insert | DataVersion::Update);
  column->get_attributes() = {{"z", "1"}, {"a", "2"}};
  EXPECT_EQ(column->to_json(),
            R"({"database":"","schema":"","name":"id","comment":"","attributes":{"a":"2","z":"1"},"original":"",)"
            R"("version":12,"ordinal":3,"alias":"","after":"","raw-type":"INTEGER","data-type":6,"identity":"",)"
            R"("default-value":"","virtual-type":"","expression":"","not-null":true,"conflict":"","charset":"",)"
            R"("collation":"","enum-values":""})");

  // Booleans that start true are written only when false.
  auto check = MetaCheck::create();
  EXPECT_EQ(check->to_json().find("no-inherit"), std::string::npos);
  check->set_no_inherit(false);
  EXPECT_NE(check->to_json().find(R"("no-inherit":false)"), std::string::npos);
  EXPECT_NE(MetaTrigger::create()->to_json().find(R"("for-each":"ROW")"), std::string::npos);
}

TEST(MetaObject, EveryClassRoundTripsThroughJson) {
  for (const Core::TypeInfo* info : Testing::all_classes()) {
    SCOPED_TRACE(info->name());
    auto node = std::static_pointer_cast<MetaObject>(info->create());
    Testing::fill_values(*node, "r");
    const std::string text = node->to_json();
    for (const Core::PropertySpec* spec : info->properties()) {
      if (spec->writable() && spec->kind != Core::PropertyKind::Other && spec->kind != Core::PropertyKind::Object) {
        EXPECT_NE(text.find("\"" + spec->name + "\":"), std::string::npos) << spec->name;
      }
    }
    auto back = std::static_pointer_cast<MetaObject>(info->create());
    ASSERT_TRUE(back->load_json(text).has_value());
    EXPECT_EQ(back->to_json(), text);
  }
}

TEST(MetaObject, EveryClassClonesIntoAnIndependentCopy) {
  for (const Core::TypeInfo* info : Testing::all_classes()) {
    SCOPED_TRACE(info->name());
    auto node = std::static_pointer_cast<MetaObject>(info->create());
    Testing::fill_values(*node, "c");
    MetaObjectPtr copy = node->clone();
    ASSERT_NE(copy, node);
    EXPECT_EQ(&copy->type(), info);
    EXPECT_EQ(copy->to_json(), node->to_json());
    copy->set_name("other");
    copy->get_attributes()["vendor"] = "other";
    EXPECT_EQ(node->get_name(), "name-c");
    EXPECT_EQ(node->get_attributes().at("vendor"), "c");
  }
}

TEST(MetaObject, ReadingTakesMapsAndListsWhole) {
  auto node = MetaObject::create();
  node->get_attributes()["old"] = "x";
  ASSERT_TRUE(node->load_json(R"({"name":"n","attributes":{"a":"1","b":2,"c":null},"version":8})").has_value());
  EXPECT_EQ(node->get_name(), "n");
  EXPECT_EQ(node->get_attributes(), (TextMap{{"a", "1"}, {"b", ""}, {"c", ""}}));
  EXPECT_EQ(node->get_version(), DataVersion::Update);

  ASSERT_TRUE(node->load_json(R"({"attributes":["a"]})").has_value());
  EXPECT_TRUE(node->get_attributes().empty()) << "a member that is not an object gives an empty map";

  auto role = MetaRole::create();
  ASSERT_TRUE(role->load_json(R"({"relations":{"t":"SELECT"},"privileges":"all"})").has_value());
  EXPECT_EQ(role->get_relations(), (TextMap{{"t", "SELECT"}}));
  EXPECT_TRUE(role->get_privileges().empty());
}

TEST(MetaObject, TextThatHoldsNoObjectIsAnError) {
  auto node = MetaTable::create();
  node->set_name("kept");
  auto array = node->load_json("[1]");
  ASSERT_FALSE(array.has_value());
  EXPECT_EQ(array.error().domain, "JSON");
  EXPECT_NE(array.error().message.find("TolvaneOrvelMetaModelMetaTable"), std::string::npos);
  auto broken = from_json<MetaTable>("{\"name\":");
  ASSERT_FALSE(broken.has_value());
  EXPECT_EQ(broken.error().domain, "json-parser-error-quark");
  EXPECT_EQ(node->get_name(), "kept");

  auto read = from_json<MetaColumn>(R"({"name":"c","data-type":17,"length":10})");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ((*read)->get_data_type(), DataType::Double);
  EXPECT_EQ((*read)->get_length(), 10u);
}

TEST(MetaObject, CharacterNamesTheKindOfObject) {
  const std::vector<std::pair<MetaObjectPtr, DBObject>> cases = {
      {MetaObject::create(), DBObject::Unknown},       {MetaCheck::create(), DBObject::Check},
      {MetaColumn::create(), DBObject::Column},        {MetaConstraint::create(), DBObject::Contraint},
      {MetaDatabase::create(), DBObject::Database},    {MetaEvent::create(), DBObject::Event},
      {MetaExclude::create(), DBObject::Exclude},      {MetaForeignKey::create(), DBObject::Foreign},
      {MetaFunction::create(), DBObject::Procedure},   {MetaIndex::create(), DBObject::Index},
      {MetaRole::create(), DBObject::Role},            {MetaRule::create(), DBObject::Rule},
      {MetaSchema::create(), DBObject::Schema},        {MetaSynonym::create(), DBObject::Synonym},
      {MetaTable::create(), DBObject::Table},          {MetaTrigger::create(), DBObject::Trigger},
      {MetaUnique::create(), DBObject::Unique},        {MetaUser::create(), DBObject::User},
      {MetaView::create(), DBObject::View},            {Materialized::create(), DBObject::View},
  };
  for (const auto& [node, kind] : cases) {
    EXPECT_EQ(node->character(), kind) << node->type().name();
  }
  auto function = MetaFunction::create();
  function->set_is_function(true);
  EXPECT_EQ(function->character(), DBObject::Function);
  function->set_property("is-function", false);
  EXPECT_EQ(function->character(), DBObject::Procedure);
  auto key = MetaUnique::create();
  key->set_is_primary_key(true);
  EXPECT_EQ(key->character(), DBObject::Unique);
}

TEST(MetaObject, InitialValuesThatAreNotEmpty) {
  EXPECT_TRUE(MetaCheck::create()->get_no_inherit());
  EXPECT_FALSE(MetaCheck::create()->get_enforced());
  EXPECT_TRUE(Materialized::create()->get_with_data());
  EXPECT_EQ(MetaTrigger::create()->get_for_each(), "ROW");
  EXPECT_FALSE(MetaTrigger::create()->get_enable());
}

TEST(MetaObject, NamedConstructorsSetTheirArguments) {
  auto synonym = MetaSynonym::with_names("s", "n");
  EXPECT_EQ(synonym->get_database(), "");
  EXPECT_EQ(synonym->get_schema(), "s");
  EXPECT_EQ(synonym->get_name(), "n");
  auto key = MetaForeignKey::with_names("fk", "main", "parent");
  EXPECT_EQ(key->get_refer_schema(), "main");
  EXPECT_EQ(key->get_refer_table(), "parent");
  auto index = MetaIndex::with_names("d", "s", "t", "i");
  EXPECT_EQ(index->get_entity(), "t");
  index->append("a");
  index->append("b");
  EXPECT_EQ(index->get_columns(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(MetaRole::with_names("d", "s", "r", "group")->get_typename(), "group");
  EXPECT_EQ(MetaUser::with_names("d", "s", "u", "login")->get_typename(), "login");
  EXPECT_EQ(MetaCheck::with_name("c", "x > 0")->get_check(), "x > 0");
  EXPECT_EQ(MetaTrigger::with_body("t", "BEGIN END")->get_body(), "BEGIN END");

  auto classify = MetaClassify::with_array(DBObject::Table, "d", "s", "Tables", {MetaTable::create()});
  EXPECT_EQ(classify->character(), DBObject::Table);
  EXPECT_EQ(classify->get_name(), "Tables");
  ASSERT_NE(classify->get_children(), nullptr);
  EXPECT_EQ(classify->get_children()->get_n_items(), 1u);
  EXPECT_EQ(MetaClassify::create(DBObject::View, "d", "s", "Views")->get_children(), nullptr);
  EXPECT_EQ(classify->clone()->character(), DBObject::Table);
}

TEST(MetaObject, MissingArgumentsAreReportedAsWorded) {
  const std::vector<std::pair<const char*, std::function<bool()>>> cases = {
      {"refere_table != NULL", [] { return MetaForeignKey::with_names("fk", "s", std::nullopt) == nullptr; }},
      {"refer_schema != NULL", [] { return MetaForeignKey::with_names("fk", std::nullopt, "t") == nullptr; }},
      {"_schema != NULL", [] { return MetaSynonym::with_names(std::nullopt, "n") == nullptr; }},
      {"_name != NULL", [] { return MetaSynonym::with_names("s", std::nullopt) == nullptr; }},
      {"role_type != NULL", [] { return MetaRole::with_names("d", "s", "n", std::nullopt) == nullptr; }},
      {"kind != NULL", [] { return MetaUser::with_names("d", "s", "n", std::nullopt) == nullptr; }},
      {"database != NULL", [] { return MetaTable::with_names(std::nullopt, "s", "n") == nullptr; }},
      {"entity != NULL", [] { return MetaIndex::with_names("d", "s", std::nullopt, "i") == nullptr; }},
      {"native_type != NULL", [] { return MetaColumn::with_type("c", DataType::Int64, std::nullopt) == nullptr; }},
      {"expr != NULL", [] { return MetaCheck::with_name("c", std::nullopt) == nullptr; }},
      {"body != NULL", [] { return MetaTrigger::with_body("t", std::nullopt) == nullptr; }},
      {"schema_name != NULL", [] { return MetaDatabase::with_name("d")->append(std::nullopt) == nullptr; }},
      {"label != NULL",
       [] { return MetaClassify::create(DBObject::Table, "d", "s", std::nullopt) == nullptr; }},
  };
  for (const auto& [text, call] : cases) {
    ::Tolvane::Testing::GLibLogCapture log;
    EXPECT_TRUE(call()) << text;
    EXPECT_TRUE(log.has_critical(std::string("'") + text + "'")) << text;
  }
  ::Tolvane::Testing::GLibLogCapture log;
  auto index = MetaIndex::create();
  index->append(std::nullopt);
  EXPECT_TRUE(index->get_columns().empty());
  EXPECT_TRUE(log.has_critical("column != NULL"));
}

}  // namespace
}  // namespace Tolvane::Orvel::MetaModel
