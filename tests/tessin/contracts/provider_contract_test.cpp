#include <gtest/gtest.h>

#include "tessin/contracts/invalid_result.hpp"
#include "tessin/contracts/provider.hpp"
#include "tessin/contracts/scalar_result.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

class EmptyProvider final : public Core::Object, public IProvider {};

TEST(IProvider, SlotsLeftEmptyGiveTheirFailedValueWithoutAnError) {
  EmptyProvider provider;
  EXPECT_TRUE(provider.open(Server::create(), "").has_value());
  EXPECT_EQ(*provider.execute_model("SELECT 1", false), nullptr);
  EXPECT_EQ(*provider.execute_affect("SELECT 1", false), -1);
  EXPECT_EQ(*provider.execute_scalar("SELECT 1", false), nullptr);
  EXPECT_TRUE(provider.execute_statements("SELECT 1", false)->empty());
  EXPECT_EQ(*provider.execute_reader("SELECT 1"), nullptr);
  EXPECT_EQ(*provider.transaction(), false);
  EXPECT_TRUE(provider.commit().has_value());
  EXPECT_TRUE(provider.rollback().has_value());
  EXPECT_FALSE(provider.get_is_opened());
}

TEST(Results, RecordsNotifyOnARealChangeAndAreResults) {
  auto invalid = InvalidResult::create("1", "syntax error");
  auto scalar = ScalarResult::create(3);
  EXPECT_TRUE(invalid->is_a(IResult::static_type()));
  EXPECT_TRUE(scalar->is_a(IResult::static_type()));
  EXPECT_EQ(invalid->get_code(), std::optional<std::string>("1"));
  int notified = 0;
  invalid->signal_notify().connect([&notified](std::string_view) { ++notified; });
  scalar->signal_notify().connect([&notified](std::string_view) { ++notified; });
  invalid->set_message(std::string("syntax error"));
  scalar->set_rows(3);
  EXPECT_EQ(notified, 0);
  invalid->set_code(std::string("2"));
  scalar->set_rows(-1);
  EXPECT_EQ(notified, 2);
  EXPECT_FALSE(InvalidResult().get_code().has_value());
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
