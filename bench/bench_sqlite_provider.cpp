// The SQLite provider's fill path against the engine alone, and the growth of
// script execution with the script's length.
//
// The raw loop needs the engine's C API. libtessin keeps its SQLite private, so
// this program links its own copy of the same amalgamation, built with the same
// options; the two copies only ever read the table file at the same time.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "bench/temp_database.hpp"
#include "tessin/supports/sqlite/provider.hpp"

namespace {

using namespace Tolvane::Providers;

constexpr int kRows = 100'000;
constexpr int kColumns = 10;
constexpr const char* kQuery = "SELECT * FROM mixed";

// The table file, made once for the whole program: ten columns of every
// storage class (integers, reals, short and long texts, blobs and nulls, a whole
// column of them and one every third row).
const Tolvane::Bench::TempDatabase& data() {
  static const Tolvane::Bench::TempDatabase database(
      "mixed.db",
      "CREATE TABLE mixed AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
      "SELECT i AS id, i * 0.25 AS ratio, 'row ' || i AS label, "
      "printf('a longer text of the row number %08d', i) AS note, randomblob(16) AS digest, "
      "CASE WHEN i % 3 = 0 THEN NULL ELSE i * 7 END AS sometimes, i % 1000 AS bucket, "
      "-i * 1.5 AS negative, hex(i) AS code, NULL AS absent FROM n");
  return database;
}

// The engine alone: prepare, step and read every cell by its storage class,
// without making anything of it.
void BM_RawSqliteLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(data().file().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::int64_t cells = 0;
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    std::int64_t integers = 0;
    double reals = 0;
    std::size_t bytes = 0;
    const int count = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int col = 0; col < count; ++col) {
        switch (sqlite3_column_type(statement, col)) {
          case SQLITE_INTEGER:
            integers += sqlite3_column_int64(statement, col);
            break;
          case SQLITE_FLOAT:
            reals += sqlite3_column_double(statement, col);
            break;
          case SQLITE_TEXT: {
            const unsigned char* text = sqlite3_column_text(statement, col);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, col)) + text[0];
            break;
          }
          case SQLITE_BLOB: {
            const auto* blob = static_cast<const unsigned char*>(sqlite3_column_blob(statement, col));
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, col)) + blob[0];
            break;
          }
          default:
            ++bytes;
            break;
        }
        ++cells;
      }
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(integers);
    benchmark::DoNotOptimize(reals);
    benchmark::DoNotOptimize(bytes);
  }
  sqlite3_close(db);
  state.SetItemsProcessed(cells);
}
BENCHMARK(BM_RawSqliteLoop)->Unit(benchmark::kMillisecond);

Supports::SQLiteProviderPtr opened(const std::string& file) {
  auto provider = Supports::SQLiteProvider::create();
  auto server = Contracts::Server::create();
  server->set_filename(file);
  if (!provider->open(server, "")) {
    std::abort();
  }
  return provider;
}

// The same query as a table model of value objects. The model is freed outside
// the timed part when `free_model` is 0, inside when it is 1.
void BM_ExecuteModel(benchmark::State& state) {
  auto provider = opened(data().file());
  const bool free_timed = state.range(0) != 0;
  for (auto _ : state) {
    auto model = provider->execute_model(kQuery, false);
    if (!model || (*model)->get_rows().size() != kRows) {
      state.SkipWithError("execute_model failed");
      break;
    }
    if (!free_timed) {
      state.PauseTiming();
      model->reset();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_ExecuteModel)->ArgName("free_timed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scripts of n small statements in one transaction: half inserts, half one-row
// queries (each a table model). Time per statement stays flat when the time of
// the script grows linearly.
void BM_ExecuteStatements(benchmark::State& state) {
  const auto statements = static_cast<int>(state.range(0));
  std::string script = "BEGIN;\n";
  for (int i = 0; i < statements / 2; ++i) {
    script += "INSERT INTO s(v) VALUES ('value " + std::to_string(i) + "');\n";
    script += "SELECT v FROM s WHERE id = " + std::to_string(i + 1) + ";\n";
  }
  script += "ROLLBACK;\n";
  auto provider = opened(data().sibling("script.db"));
  (void)provider->execute_affect("CREATE TABLE IF NOT EXISTS s(id INTEGER PRIMARY KEY, v TEXT)", false);
  for (auto _ : state) {
    auto results = provider->execute_statements(script, false);
    if (!results || results->size() != static_cast<std::size_t>(statements) + 2) {
      state.SkipWithError("execute_statements failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * statements);
  state.SetComplexityN(statements);
}
BENCHMARK(BM_ExecuteStatements)
    ->Arg(2'500)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond)
    ;

// Each statement of a script is logged as a warning; the benchmark counts the
// cost of making the lines but does not print them.
void drop_log(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

int main(int argc, char** argv) {
  g_log_set_handler("tolvane", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_DEBUG), drop_log, nullptr);
  data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
