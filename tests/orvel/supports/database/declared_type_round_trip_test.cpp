// Declared types the engine reports in another form than they were written:
// it drops one pair of outer quotes, so the text it reports may no longer
// read as a type. A table filled and built again must declare the same types.

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using DeclaredTypeRoundTripTest = SchemaTest;

TEST_F(DeclaredTypeRoundTripTest, TypesWrittenInQuotesComeBackTheSame) {
  auto original = open("types.db");
  run(*original,
      "CREATE TABLE t (a \"weird#type\", b \"key\", c [x -- y], d \"a\"\"b\", e INT /* c */ EGER, "
      "f 'two words', g NUMERIC(10, 2), h unsigned big int, i, j \"x(y, \", k \"t(1,2,3)\", l \"spaced \", m \"a /* b\", n \"a /* b */\");");

  auto table = MetaModel::MetaTable::with_names("types", "main", "t");
  ASSERT_TRUE(original->adapter()->fill_meta_table(table, true));
  ASSERT_TRUE(original->builder()->check_table(table));
  const std::string built = original->builder()->build_table(table, true);

  auto copy = open("copy.db");
  run(*copy, built);
  EXPECT_EQ(describe(*copy, "main"), describe(*original, "main")) << built;
  // Types that read as types are written as they are.
  EXPECT_NE(built.find("\"g\" NUMERIC(10, 2)"), std::string::npos) << built;
  EXPECT_NE(built.find("\"h\" unsigned big int"), std::string::npos) << built;
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
