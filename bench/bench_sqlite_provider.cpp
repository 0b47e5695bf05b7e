// The SQLite provider's fill path against the engine alone, the growth of
// script execution with the script's length, and a script of 100 000 INSERTs
// through the provider against the sqlite3 shell reading the same file.
//
// The raw loop needs the engine's C API. libtessin keeps its SQLite private, so
// this program links its own copy of the same amalgamation, built with the same
// options; the two copies only ever read the table file at the same time.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

// A script of 100 000 single-row INSERTs in one transaction, as a user feeds
// the shell: the provider's script execution (reading the file included,
// keeping no result) against `sqlite3 DB < file` spawned in the same run. Each
// iteration starts from a new database file. Wall time, since the shell's work
// happens in another process.
constexpr int kScriptInserts = 100'000;

const std::string& insert_script_file() {
  static const std::string path = [] {
    std::string script = "CREATE TABLE s(id INTEGER PRIMARY KEY, name TEXT, score REAL);\nBEGIN;\n";
    for (int i = 0; i < kScriptInserts; ++i) {
      script += "INSERT INTO s(name, score) VALUES ('name " + std::to_string(i) + "', " + std::to_string(i) + ".5);\n";
    }
    script += "COMMIT;\n";
    std::string file = data().sibling("inserts.sql");
    g_file_set_contents(file.c_str(), script.data(), static_cast<gssize>(script.size()), nullptr);
    return file;
  }();
  return path;
}

// Seconds per iteration of the two, for the ratio printed at the end.
double g_provider_seconds = 0;
double g_shell_seconds = 0;

void BM_ScriptThroughProvider(benchmark::State& state) {
  const std::string& file = insert_script_file();
  const std::string database = data().sibling("script-provider.db");
  // Heap in use above what it was before the script (the script text aside),
  // after 10 000 statements and at the most: equal when memory does not grow
  // with the number of statements (the engine's page cache fills early).
  std::size_t heap_growth = 0;
  std::size_t heap_growth_early = 0;
  double total = 0;
  for (auto _ : state) {
    std::filesystem::remove(database);
    const auto start = std::chrono::steady_clock::now();
    gchar* contents = nullptr;
    gsize length = 0;
    g_file_get_contents(file.c_str(), &contents, &length, nullptr);
    const std::string script(contents, length);
    g_free(contents);
    const std::size_t heap_before = mallinfo2().uordblks;
    auto provider = opened(database);
    int failed = 0;
    int statements = 0;
    auto ran = provider->execute_script(script, [&](const Supports::ScriptStep&,
                                                    Tolvane::Core::Result<Supports::SQLiteReaderPtr>& outcome) {
      failed += outcome ? 0 : 1;
      if (++statements % 10'000 == 0) {
        const std::size_t now = mallinfo2().uordblks;
        const std::size_t growth = now - std::min(heap_before, now);
        heap_growth = std::max(heap_growth, growth);
        if (statements == 10'000) {
          heap_growth_early = growth;
        }
      }
      return true;
    });
    provider->close();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ran || failed != 0 || statements != kScriptInserts + 3) {
      state.SkipWithError("the script failed");
      break;
    }
  }
  g_provider_seconds = total / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["heap_growth_at_10k"] = static_cast<double>(heap_growth_early);
  state.counters["heap_growth_max"] = static_cast<double>(heap_growth);
  state.SetItemsProcessed(state.iterations() * kScriptInserts);
}
BENCHMARK(BM_ScriptThroughProvider)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ScriptThroughShell(benchmark::State& state) {
  const std::string& file = insert_script_file();
  const std::string database = data().sibling("script-shell.db");
  const std::string command = "sqlite3 '" + database + "' < '" + file + "'";
  double total = 0;
  for (auto _ : state) {
    std::filesystem::remove(database);
    const auto start = std::chrono::steady_clock::now();
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    gint status = 0;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr,
                      nullptr, nullptr, &status, nullptr) ||
        !g_spawn_check_wait_status(status, nullptr)) {
      state.SkipWithError("the sqlite3 shell is not installed or failed");
      break;
    }
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  g_shell_seconds = total / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.SetItemsProcessed(state.iterations() * kScriptInserts);
}
BENCHMARK(BM_ScriptThroughShell)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

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
  if (g_provider_seconds > 0 && g_shell_seconds > 0) {
    std::printf("script of %d INSERTs: provider %.0f ms, sqlite3 shell %.0f ms, speed ratio %.2fx the shell's\n",
                kScriptInserts, g_provider_seconds * 1000, g_shell_seconds * 1000, g_shell_seconds / g_provider_seconds);
  }
  benchmark::Shutdown();
  return 0;
}
