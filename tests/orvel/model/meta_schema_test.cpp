#include <gtest/gtest.h>

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/model/filled_nodes.hpp"

namespace Tolvane::Orvel::MetaModel {
namespace {

MetaSchemaPtr full_schema(const std::string& tag) {
  auto schema = Testing::filled<MetaSchema>(tag);
  schema->get_tables() = {Testing::full_table(tag + "1"), Testing::full_table(tag + "2")};
  auto view = MetaView::with_names("d", tag, "v");
  view->set_definition("select a, b from t");
  schema->get_views().push_back(view);
  auto function = Testing::filled<MetaFunction>(tag);
  function->get_parameters() = {"x INTEGER", "y TEXT"};
  schema->get_functions().push_back(function);
  schema->get_events().push_back(Testing::filled<MetaEvent>(tag));
  schema->get_procedures().push_back(Testing::filled<MetaFunction>(tag + "p"));
  schema->get_miews().push_back(Testing::filled<Materialized>(tag));
  return schema;
}

TEST(MetaDatabase, AppendFindsOrAddsASchemaByExactName) {
  auto database = MetaDatabase::with_name("main");
  EXPECT_EQ(database->get_schema(), "main");
  EXPECT_EQ(database->get_database(), "main");
  MetaSchemaPtr first = database->append("temp");
  EXPECT_EQ(database->append("temp"), first);
  EXPECT_NE(database->append("Temp"), first);
  EXPECT_EQ(database->get_schemas().size(), 2u);
  EXPECT_EQ(first->get_database(), "main");
  EXPECT_EQ(first->get_schema(), "temp");
  EXPECT_EQ(first->get_name(), "temp");
}

TEST(MetaDatabase, RoundTripCloneAndReset) {
  auto database = Testing::filled<MetaDatabase>("db");
  database->get_schemas() = {full_schema("a"), full_schema("b")};
  const std::string text = database->to_json();

  auto back = from_json<MetaDatabase>(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ((*back)->to_json(), text);

  auto copy = database->clone_as<MetaDatabase>();
  ASSERT_EQ(copy->get_schemas().size(), 2u);
  EXPECT_NE(copy->get_schemas()[0], database->get_schemas()[0]);
  EXPECT_NE(copy->get_schemas()[1], database->get_schemas()[1]);
  EXPECT_EQ(copy->to_json(), text);
  copy->get_schemas().pop_back();
  EXPECT_EQ(database->get_schemas().size(), 2u);

  database->reset();
  EXPECT_TRUE(database->get_schemas().empty());
  EXPECT_EQ(copy->get_schemas().size(), 1u);
}

TEST(MetaSchema, OnlyTablesViewsAndFunctionsHaveAJsonForm) {
  MetaSchemaPtr schema = full_schema("s");
  const std::string text = schema->to_json();
  EXPECT_EQ(text.find("\"events\""), std::string::npos);
  EXPECT_EQ(text.find("\"procedures\""), std::string::npos);
  EXPECT_EQ(text.find("\"miews\""), std::string::npos);
  EXPECT_NE(text.find(R"("parameters":["x INTEGER","y TEXT"])"), std::string::npos);

  // Reading leaves the unwritten lists empty, even when the text has members for them.
  auto back = from_json<MetaSchema>(R"({"name":"s","events":[{"name":"e"}],"procedures":[{}],"miews":[{}]})");
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE((*back)->get_events().empty());
  EXPECT_TRUE((*back)->get_procedures().empty());
  EXPECT_TRUE((*back)->get_miews().empty());

  auto read = from_json<MetaSchema>(text);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ((*read)->to_json(), text);
  ASSERT_EQ((*read)->get_views().size(), 1u);
  EXPECT_EQ((*read)->get_views()[0]->get_columns().size(), 2u) << "columns follow from the definition read back";
}

TEST(MetaSchema, CloneCopiesTablesAndViewsAndSharesTheOtherLists) {
  MetaSchemaPtr schema = full_schema("s");
  auto copy = schema->clone_as<MetaSchema>();
  EXPECT_EQ(copy->to_json(), schema->to_json());
  EXPECT_NE(copy->get_tables()[0], schema->get_tables()[0]);
  EXPECT_NE(copy->get_views()[0], schema->get_views()[0]);
  EXPECT_TRUE(copy->get_views()[0]->get_columns().empty()) << "a cloned view waits for its definition";

  EXPECT_EQ(&copy->get_events(), &schema->get_events());
  EXPECT_EQ(&copy->get_functions(), &schema->get_functions());
  EXPECT_EQ(&copy->get_procedures(), &schema->get_procedures());
  EXPECT_EQ(&copy->get_miews(), &schema->get_miews());
  copy->get_procedures().push_back(MetaFunction::create());
  EXPECT_EQ(schema->get_procedures().size(), 2u);

  copy->get_tables().clear();
  EXPECT_EQ(schema->get_tables().size(), 2u);

  // Setting a list gives the schema one of its own.
  copy->set_functions({});
  EXPECT_EQ(schema->get_functions().size(), 1u);
}

TEST(MetaSchema, ResetKeepsProceduresAndMaterializedViews) {
  MetaSchemaPtr schema = full_schema("s");
  schema->reset();
  EXPECT_TRUE(schema->get_events().empty());
  EXPECT_TRUE(schema->get_functions().empty());
  EXPECT_TRUE(schema->get_tables().empty());
  EXPECT_TRUE(schema->get_views().empty());
  EXPECT_EQ(schema->get_procedures().size(), 1u);
  EXPECT_EQ(schema->get_miews().size(), 1u);
  EXPECT_EQ(schema->get_name(), "name-s");
  EXPECT_EQ(schema->get_comment(), "");
}

}  // namespace
}  // namespace Tolvane::Orvel::MetaModel
