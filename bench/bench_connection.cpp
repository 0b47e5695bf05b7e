// What an asynchronous query costs over a synchronous one: a thread started per
// call and the completion dispatched through the default main context.

#include <benchmark/benchmark.h>

#include <glib.h>
#include <glib/gstdio.h>

#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "tessin/core/main_context.hpp"

namespace {

using Tolvane::Orvel::Supports::Database::SQLiteConnection;
using Tolvane::Providers::Contracts::Server;
using Tolvane::Providers::Contracts::TableModelPtr;

constexpr int kRows = 100'000;

class Fixture {
 public:
  Fixture() {
    gchar* folder = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    auto server = Server::with_provider("SQLite");
    server->set_filename(m_folder + "/bench.db");
    m_connection = SQLiteConnection::create();
    (void)m_connection->open(server, nullptr);
    (void)m_connection->execute(
        "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, price REAL, qty INTEGER);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(kRows) + ") INSERT INTO t SELECT i, 'name ' || i, i / 7.0, i % 100 FROM n;",
        false);
  }
  ~Fixture() {
    m_connection->close();
    g_remove((m_folder + "/bench.db").c_str());
    g_rmdir(m_folder.c_str());
  }
  SQLiteConnection& connection() { return *m_connection; }

 private:
  std::string m_folder;
  std::shared_ptr<SQLiteConnection> m_connection;
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

const char* query_for(int rows) { return rows == 1 ? "SELECT * FROM t WHERE id = 42" : "SELECT * FROM t"; }

void BM_ExecuteAsModelSync(benchmark::State& state) {
  auto& connection = fixture().connection();
  const char* sql = query_for(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto model = connection.execute_as_model(sql, false);
    benchmark::DoNotOptimize(model);
  }
}
BENCHMARK(BM_ExecuteAsModelSync)->Arg(1)->Arg(kRows)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ExecuteAsModelAsync(benchmark::State& state) {
  auto& connection = fixture().connection();
  const char* sql = query_for(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::optional<Tolvane::Core::Result<TableModelPtr>> outcome;
    connection.execute_as_model_async(sql, [&outcome](auto result) { outcome = std::move(result); });
    Tolvane::Core::iterate_until([&outcome] { return outcome.has_value(); }, 60000);
    benchmark::DoNotOptimize(outcome);
  }
}
BENCHMARK(BM_ExecuteAsModelAsync)->Arg(1)->Arg(kRows)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
