#include <atomic>
#include <thread>

#include "tessin/contracts/values.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

constexpr int kThreads = 8;
constexpr int kRounds = 40;

// Several threads on one provider, each with failing and succeeding calls
// whose outcomes differ per thread: every call must report its own outcome.
TEST_F(SQLiteTest, EveryCallReportsItsOwnOutcomeUnderContention) {
  auto provider = open("contended.db");
  ASSERT_TRUE(provider->execute_statements(
      "CREATE TABLE t(a INTEGER PRIMARY KEY, b);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 800) INSERT INTO t SELECT i, 0 FROM n;",
      false));
  std::atomic<int> wrong{0};
  std::vector<std::string> first_wrong(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      auto expect = [&](bool good, const std::string& what) {
        if (!good && wrong.fetch_add(1) == 0) {
          first_wrong[static_cast<std::size_t>(t)] = what;
        }
      };
      const std::string missing = "nope_" + std::to_string(t);
      const std::string rows = std::to_string(t + 1);
      for (int round = 0; round < kRounds; ++round) {
        auto failed = provider->execute_model("SELECT * FROM " + missing, true);
        expect(!failed && failed.error() == Core::Error{"SQLite", 1, "no such table: " + missing},
               failed ? "a failing query succeeded" : failed.error().message);
        // Thread t owns the rows a % 8 == t: 100 of them, the first t + 1 by a.
        auto updated = provider->execute_affect("UPDATE t SET b = b + 1 WHERE a % 8 = " + std::to_string(t) +
                                                    " AND a <= " + std::to_string(8 * (t + 1)),
                                                true);
        expect(updated && *updated == t + 1, updated ? "changes " + std::to_string(*updated) : updated.error().message);
        auto prepared = provider->execute_prepared("UPDATE t SET b = b WHERE a % 8 = :t",
                                                   {{"t", ValueInt64::create(t)}});
        expect(prepared && (*prepared)->changes() == 100, prepared ? "own changes" : prepared.error().message);
        auto script = provider->execute_statements("SELECT " + rows + "; SELECT * FROM " + missing + ";", true);
        bool script_good = script && script->size() == 2;
        if (script_good) {
          auto model = std::dynamic_pointer_cast<TableModel>((*script)[0]);
          auto error = std::dynamic_pointer_cast<ValueError>((*script)[1]);
          script_good = model && model->get_value_at(0, 0)->to_string() == rows && error &&
                        error->get_message() == "no such table: " + missing;
        }
        expect(script_good, "script");
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  std::string reasons;
  for (const auto& reason : first_wrong) {
    reasons += reason.empty() ? "" : reason + "; ";
  }
  EXPECT_EQ(wrong.load(), 0) << reasons;
}

// Closing while other threads run long statements interrupts them; every call
// ends with a result or a clean error, and nothing touches the freed handle.
TEST_F(SQLiteTest, ClosingUnderLoadInterruptsAndWaits) {
  auto provider = open("closing.db");
  std::atomic<int> started{0};
  std::atomic<int> clean{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      ++started;
      for (int round = 0; round < 20; ++round) {
        auto counted = provider->execute_scalar(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000000) SELECT count(*) FROM n",
            true);
        if (counted) {
          continue;
        }
        const Core::Error& error = counted.error();
        if (error == Core::Error{"SQLite", 9, "interrupted"} ||
            error == Core::Error{"SQLite", -1, "No database is open."}) {
          ++clean;
        }
      }
    });
  }
  while (started < kThreads) {
    std::this_thread::yield();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  provider->close();
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(clean.load(), kThreads * 20) << "every call after the close fails cleanly";
  EXPECT_FALSE(provider->get_is_opened());
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
