#include "orvel/transform/userdata_synchronizer.hpp"

#include <gtest/gtest.h>

#include "tessin/contracts/values.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"

namespace Tolvane::Orvel::Transform {
namespace {

using namespace Providers::Contracts;

class UserdataSync : public Supports::Database::Testing::ConnectionTest {
 protected:
  UserdataSynchronizerPtr job(Options options = {}) {
    auto made = UserdataSynchronizer::create(std::move(options));
    made->set_server_source(open("source.db"));
    made->set_server_target(open("target.db"));
    return made;
  }
};

TEST_F(UserdataSync, TwoSQLiteDatabasesGiveNothingToDo) {
  auto made = job();
  ASSERT_TRUE(made->initialize().has_value());
  auto patch = made->preview();
  ASSERT_TRUE(patch.has_value());
  EXPECT_EQ(*patch, nullptr);
  EXPECT_TRUE(made->generate()->empty());
  made->handle();
  EXPECT_TRUE(made->progress()->finished());
  EXPECT_EQ(made->progress()->processed(), 0);
}

TEST_F(UserdataSync, AnEmptyBuilderTextIsNoStep) {
  auto made = job();
  ASSERT_TRUE(made->initialize().has_value());
  // Rows that differ; the SQLite builder has no DML for them.
  for (const auto& [data_set, value] : {std::pair{made->dataset_source(), 1}, std::pair{made->dataset_target(), 2}}) {
    auto table = TableModel::create();
    auto row = RowModel::create();
    row->get_values().push_back(ValueInt64::create(value));
    table->append(row);
    data_set->get_tables().push_back(table);
  }
  auto patch = made->preview();
  ASSERT_TRUE(patch.has_value());
  ASSERT_NE(*patch, nullptr);
  EXPECT_TRUE(made->generate()->empty());
  made->handle();
  EXPECT_TRUE(made->progress()->finished());
  EXPECT_EQ(made->progress()->failed(), 0);
  EXPECT_EQ(made->progress()->processed(), 0);
}

TEST_F(UserdataSync, RunningWithoutInitializeIsAFailedStep) {
  auto made = job();
  made->handle();
  EXPECT_TRUE(made->progress()->finished());
  EXPECT_EQ(made->progress()->failed(), 1);
  auto lines = made->progress()->take_messages();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("not initialized"), std::string::npos) << lines[0];
  EXPECT_FALSE(made->generate().has_value());
}

}  // namespace
}  // namespace Tolvane::Orvel::Transform
