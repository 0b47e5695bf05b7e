#include <gtest/gtest.h>

#include "orvel/model/meta_model.hpp"

namespace Tolvane::Orvel::MetaModel {
namespace {

using Column = std::pair<std::string, std::string>;  // name, raw type

std::vector<Column> columns_of(const MetaView& view) {
  std::vector<Column> columns;
  for (const MetaColumnPtr& column : view.get_columns()) {
    columns.emplace_back(column->get_name(), column->get_raw_type());
  }
  return columns;
}

TEST(MetaView, ColumnsFollowTheSelectList) {
  auto view = MetaView::create();
  view->set_definition("SELECT t.a as first, b as second, t.c FROM t");
  EXPECT_EQ(columns_of(*view), (std::vector<Column>{{"first", "t.a"}, {"second", "b"}, {"t.c", "t.c"}}));

  view->set_definition("select\n  id,\n  t.*,\n  *\nfrom t\nwhere id > 0");
  EXPECT_EQ(columns_of(*view), (std::vector<Column>{{"id", "id"}, {"t.*", "t.*"}, {"*", "*"}}));
}

TEST(MetaView, QuotedAliasesLoseTheirQuotesButNotTheirRawType) {
  auto view = MetaView::create();
  view->set_definition("select `t`.`a` as `the_a`, [b] as [the_b], \"c\" as 'x', [t].[d] from t");
  EXPECT_EQ(columns_of(*view),
            (std::vector<Column>{{"the_a", "`t`.`a`"}, {"the_b", "[b]"}, {"x", "\"c\""}, {"t.d", "[t].[d]"}}));
}

TEST(MetaView, AnUnrecognisedDefinitionKeepsTheColumnsButStillNotifies) {
  auto view = MetaView::with_names("d", "s", "v");
  view->set_definition("select a, b from t");
  int notified = 0;
  view->signal_notify().connect([&notified](std::string_view name) { notified += name == "definition" ? 1 : 0; });
  view->set_definition("select 1");
  view->set_definition("select a + b from t");
  view->set_definition("select 1");
  EXPECT_EQ(view->get_definition(), "select 1");
  EXPECT_EQ(columns_of(*view), (std::vector<Column>{{"a", "a"}, {"b", "b"}}));
  EXPECT_EQ(notified, 3);
}

TEST(MetaView, ColumnsHaveNoJsonFormAndAreNotCloned) {
  auto view = Materialized::with_names("d", "s", "m");
  view->set_definition("select a from t");
  view->set_with_data(false);
  const std::string text = view->to_json();
  EXPECT_EQ(text,
            R"({"database":"d","schema":"s","name":"m","comment":"","attributes":{},"original":"",)"
            R"("definition":"select a from t","table-space":"","definer":"","fill-factor":"","with-data":false})");
  auto copy = view->clone_as<Materialized>();
  EXPECT_TRUE(copy->get_columns().empty());
  EXPECT_EQ(copy->to_json(), text);
  copy->set_definition(copy->get_definition());
  EXPECT_EQ(copy->get_columns().size(), 1u);
}

}  // namespace
}  // namespace Tolvane::Orvel::MetaModel
