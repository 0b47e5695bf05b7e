#include <gtest/gtest.h>

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/model/filled_nodes.hpp"

namespace Tolvane::Orvel::MetaModel {
namespace {

using Providers::Contracts::DataType;

std::vector<std::string> names_of(const std::vector<MetaConstraintPtr>& constraints) {
  std::vector<std::string> names;
  for (const MetaConstraintPtr& constraint : constraints) {
    names.push_back(constraint->get_name());
  }
  return names;
}

TEST(MetaTable, ColumnsAreFoundByExactNameAndAppendedUnnumbered) {
  auto table = MetaTable::with_names("main", "main", "t");
  MetaColumnPtr id = table->new_column("id", DataType::Int64);
  table->new_column("Name", DataType::String);
  ASSERT_EQ(table->get_columns().size(), 2u);
  EXPECT_EQ(id->get_raw_type(), "");
  EXPECT_EQ(id->get_ordinal(), 0);
  EXPECT_EQ(id->get_data_type(), DataType::Int64);
  EXPECT_EQ(table->get_column("id"), id);
  EXPECT_EQ(table->get_column("name"), nullptr);
  EXPECT_EQ(table->get_column("ID"), nullptr);
}

TEST(MetaTable, PartialResetRemovesOneKindKeepingTheOrderOfTheRest) {
  auto table = MetaTable::create();
  table->get_constraints() = {MetaForeignKey::with_names("fk1", "s", "a"), MetaUnique::with_name("uq"),
                              MetaForeignKey::with_names("fk2", "s", "b"), MetaForeignKey::with_names("fk3", "s", "c"),
                              MetaCheck::with_name("ck", "x > 0"), MetaConstraint::with_names("plain")};
  table->new_column("id", DataType::Int64);

  table->reset_partial(DBObject::Foreign);
  EXPECT_EQ(names_of(table->get_constraints()), (std::vector<std::string>{"uq", "ck", "plain"}));
  table->reset_partial(DBObject::Table);
  table->remove_constraints(DBObject::Column);
  EXPECT_EQ(table->get_constraints().size(), 3u);
  EXPECT_EQ(table->get_columns().size(), 1u);
  table->reset_partial(DBObject::Column);
  EXPECT_TRUE(table->get_columns().empty());
  table->remove_constraints(DBObject::Check);
  table->reset_partial(DBObject::Unique);
  EXPECT_EQ(names_of(table->get_constraints()), (std::vector<std::string>{"plain"}));
}

TEST(MetaTable, ConstraintsCarryTheirClassThroughJson) {
  auto table = MetaTable::create();
  auto key = MetaForeignKey::with_names("fk", "main", "parent");
  key->set_local_columns("a, b");
  key->set_refer_columns("x, y");
  table->get_constraints() = {key, MetaCheck::with_name("ck", "a > 0"), MetaUnique::with_name("pk"),
                              MetaExclude::with_name("ex"), MetaConstraint::with_names("c")};
  const std::string text = table->to_json();
  EXPECT_NE(text.find(R"("refer-columns":"x, y","match-method":"","delete-action":"","update-action":"",)"
                      R"("deferrable":"","class":"TolvaneOrvelMetaModelMetaForeignKey"})"),
            std::string::npos);

  auto back = from_json<MetaTable>(text);
  ASSERT_TRUE(back.has_value());
  const auto& constraints = (*back)->get_constraints();
  ASSERT_EQ(constraints.size(), 5u);
  EXPECT_EQ(&constraints[0]->type(), &MetaForeignKey::static_type());
  EXPECT_EQ(std::static_pointer_cast<MetaForeignKey>(constraints[0])->get_refer_columns(), "x, y");
  EXPECT_EQ(&constraints[1]->type(), &MetaCheck::static_type());
  EXPECT_EQ(&constraints[2]->type(), &MetaUnique::static_type());
  EXPECT_EQ(&constraints[3]->type(), &MetaExclude::static_type());
  EXPECT_EQ(&constraints[4]->type(), &MetaConstraint::static_type());
  EXPECT_EQ((*back)->to_json(), text);
}

TEST(MetaTable, ConstraintsOfUnknownOrForeignClassesAreDropped) {
  auto table = from_json<MetaTable>(
      R"({"constraints":[{"name":"a","class":"TolvaneOrvelMetaModelMetaNothing"},)"
      R"({"name":"b","class":"TolvaneOrvelMetaModelMetaTable"},{"name":"c"},{"name":"d","class":7},)"
      R"("not an object",{"name":"e","class":"TolvaneOrvelMetaModelMetaUnique","is-primary-key":true}],)"
      R"("columns":{"name":"x"},"indexes":null,"options":["a"]})");
  ASSERT_TRUE(table.has_value());
  ASSERT_EQ((*table)->get_constraints().size(), 1u);
  auto key = std::dynamic_pointer_cast<MetaUnique>((*table)->get_constraints()[0]);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->get_is_primary_key());
  EXPECT_TRUE((*table)->get_columns().empty());
  EXPECT_TRUE((*table)->get_indexes().empty());
  EXPECT_TRUE((*table)->get_options().empty());
}

TEST(MetaTable, ATreeOfEveryChildKindRoundTrips) {
  MetaTablePtr table = Testing::full_table("t");
  const std::string text = table->to_json();
  auto back = from_json<MetaTable>(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ((*back)->to_json(), text);
  EXPECT_EQ((*back)->get_indexes()[0]->get_columns(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ((*back)->get_options().at("STRICT"), "false");
}

TEST(MetaTable, CloneCopiesEveryChild) {
  MetaTablePtr table = Testing::full_table("t");
  auto copy = table->clone_as<MetaTable>();
  EXPECT_EQ(copy->to_json(), table->to_json());
  ASSERT_EQ(copy->get_columns().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NE(copy->get_columns()[i], table->get_columns()[i]);
  }
  EXPECT_NE(copy->get_constraints()[3], table->get_constraints()[3]);
  EXPECT_EQ(&copy->get_constraints()[3]->type(), &MetaForeignKey::static_type());
  EXPECT_NE(copy->get_indexes()[0], table->get_indexes()[0]);
  EXPECT_NE(copy->get_rules()[0], table->get_rules()[0]);
  EXPECT_NE(copy->get_triggers()[0], table->get_triggers()[0]);

  copy->get_columns()[0]->set_name("renamed");
  copy->get_indexes()[0]->append("c");
  copy->get_options()["NEW"] = "1";
  copy->get_columns().pop_back();
  EXPECT_EQ(table->get_columns()[0]->get_name(), "name-tc1");
  EXPECT_EQ(table->get_columns().size(), 2u);
  EXPECT_EQ(table->get_indexes()[0]->get_columns().size(), 2u);
  EXPECT_EQ(table->get_options().count("NEW"), 0u);
}

TEST(MetaTable, ResetEmptiesEveryCollection) {
  MetaTablePtr table = Testing::full_table("t");
  table->set_data("FILLED", true);
  table->reset();
  EXPECT_EQ(table->to_json(),
            R"({"database":"database-t","schema":"schema-t","name":"name-t","comment":"","attributes":{},)"
            R"("original":"","constraints":[],"columns":[],"indexes":[],"rules":[],"triggers":[],"options":{}})");
  EXPECT_FALSE(table->has_data("FILLED"));
}

}  // namespace
}  // namespace Tolvane::Orvel::MetaModel
