// Delimited-text and JSON export and delimited-text import against the sqlite3
// shell, measured side by side in the same run on the same database and file:
//
//   export: a reader streamed through DsvExtractor into a file, against
//           `sqlite3 -csv DB "SELECT ..." > file`, and through JsonExtractor,
//           against `sqlite3 -json DB "SELECT ..." > file`;
//   import: the fast mode (one transaction, one worker thread) and the
//           designed row-by-row mode, against `sqlite3 DB ".import --csv file t"`.
//
// The shell runs as a child process, so its figures include starting it
// (a few milliseconds). Ratios are printed at the end. The peak resident size
// after each export shows that memory does not grow with the row count.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "orvel/model/meta_table.hpp"
#include "orvel/supports/data/extractors/dsv_extractor.hpp"
#include "orvel/supports/data/extractors/json_extractor.hpp"
#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "tools/host/startup.hpp"

namespace {

using namespace Tolvane;
using Orvel::Supports::Data::Extractors::DsvExtractor;
using Orvel::Supports::Data::Extractors::JsonExtractor;
using Providers::Contracts::DataType;

constexpr const char* kQuery = "SELECT id, price, name, note, stock, maybe FROM items";

// Folder, host and the database of `rows` rows, made once per row count.
class Data {
 public:
  static Data& get() {
    static Data data;
    return data;
  }

  std::string file(const std::string& name) const { return m_folder + "/" + name; }

  // "items<rows>.db", six columns: integer key, real, short text, text that
  // sometimes needs quotes, integer, integer or NULL.
  const std::string& database(int rows) {
    auto found = m_databases.find(rows);
    if (found != m_databases.end()) {
      return found->second;
    }
    const std::string path = file("items" + std::to_string(rows) + ".db");
    auto connection = open(path);
    run(*connection,
        "CREATE TABLE items(id INTEGER PRIMARY KEY, price REAL, name TEXT, note TEXT, stock INTEGER, maybe INTEGER)");
    run(*connection,
        "INSERT INTO items WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") SELECT i, i * 0.25, 'item ' || i, CASE WHEN i % 10 = 0 THEN 'with, comma and \"quote\"' "
            "ELSE 'plain note' END, i % 997, CASE WHEN i % 3 = 0 THEN NULL ELSE i END FROM n;");
    connection->close();
    return m_databases.emplace(rows, path).first->second;
  }

  std::shared_ptr<Orvel::Supports::Database::SQLiteConnection> open(const std::string& path) {
    auto server = Providers::Contracts::Server::with_provider("SQLite");
    server->set_filename(path);
    auto connection = Orvel::Supports::Database::SQLiteConnection::create();
    if (!connection->open(server, nullptr)) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      std::abort();
    }
    return connection;
  }

  static void run(Orvel::Contracts::Database::IConnection& connection, const std::string& sql) {
    auto done = connection.execute_no_query(sql, false);
    if (!done) {
      std::fprintf(stderr, "%s\n", done.error().message.c_str());
      std::abort();
    }
  }

 private:
  Data() {
    gchar* folder = g_dir_make_tmp("tolvane-extractor-bench-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    Host::Options options;
    options.log_folder = file("log");
    options.threshold = Orvel::Contracts::Log::LogLevel::RISKY;
    m_host = std::make_unique<Host::Startup>(options);
  }
  ~Data() { std::filesystem::remove_all(m_folder); }

  std::string m_folder;
  std::unique_ptr<Host::Startup> m_host;
  std::map<int, std::string> m_databases;
};

double now() { return static_cast<double>(g_get_monotonic_time()) / 1e6; }

// Seconds per iteration of each benchmark, for the ratios at the end.
std::map<std::string, double>& timings() {
  static std::map<std::string, double> seconds;
  return seconds;
}

// One timed iteration: what `work` took, as the benchmark's own time too.
template <class Work>
double timed(benchmark::State& state, Work&& work) {
  const double start = now();
  work();
  const double seconds = now() - start;
  state.SetIterationTime(seconds);
  return seconds;
}

void record(benchmark::State& state, const std::string& name, double seconds) {
  timings()[name + "/" + std::to_string(state.range(0))] = seconds / static_cast<double>(state.iterations());
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

double peak_mib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::abort();
  }
}

// A reader streamed through `make()`'s extractor into `out`.
template <class Make>
void export_with(benchmark::State& state, Make make, const std::string& out, const std::string& name) {
  const int rows = static_cast<int>(state.range(0));
  auto connection = Data::get().open(Data::get().database(rows));
  double seconds = 0;
  for (auto _ : state) {
    Tolvane::Core::Result<std::int64_t> written = 0;
    seconds += timed(state, [&] {
      auto extractor = make();
      auto reader = connection->execute_reader(kQuery);
      written = extractor->export_reader_to_file(**reader, out, nullptr);
      (*reader)->close();
    });
    if (!written || *written != rows) {
      state.SkipWithError(written ? "export wrote too few rows" : written.error().message.c_str());
      return;
    }
  }
  record(state, name, seconds);
  state.counters["peak MiB"] = peak_mib();
}

void BM_ExportCsv_Tolvane(benchmark::State& state) {
  export_with(state, [] { return DsvExtractor::create("csv"); }, Data::get().file("tolvane.csv"), "export tolvane");
}

void BM_ExportJson_Tolvane(benchmark::State& state) {
  export_with(state, [] { return JsonExtractor::create("json"); }, Data::get().file("tolvane.json"),
              "export json tolvane");
}

void export_with_shell(benchmark::State& state, const std::string& mode, const std::string& out,
                       const std::string& name) {
  const int rows = static_cast<int>(state.range(0));
  const std::string db = Data::get().database(rows);
  double seconds = 0;
  for (auto _ : state) {
    seconds += timed(state, [&] { shell("sqlite3 " + mode + " '" + db + "' '" + kQuery + "' > '" + out + "'"); });
  }
  record(state, name, seconds);
}

void BM_ExportCsv_Sqlite3Shell(benchmark::State& state) {
  export_with_shell(state, "-csv -header", Data::get().file("shell.csv"), "export sqlite3");
}

void BM_ExportJson_Sqlite3Shell(benchmark::State& state) {
  export_with_shell(state, "-json", Data::get().file("shell.json"), "export json sqlite3");
}

// The CSV that both imports read: what the shell exported.
std::string import_source(int rows) {
  const std::string csv = Data::get().file("source" + std::to_string(rows) + ".csv");
  if (!std::filesystem::exists(csv)) {
    shell("sqlite3 -csv -header '" + Data::get().database(rows) + "' '" + kQuery + "' > '" + csv + "'");
  }
  return csv;
}

constexpr const char* kTarget =
    "CREATE TABLE target(id INTEGER PRIMARY KEY, price REAL, name TEXT, note TEXT, stock INTEGER, maybe INTEGER)";

void import_with(benchmark::State& state, bool fast, const std::string& name) {
  const int rows = static_cast<int>(state.range(0));
  const std::string csv = import_source(rows);
  double seconds = 0;
  for (auto _ : state) {
    const std::string path = Data::get().file("import.db");
    std::filesystem::remove(path);
    auto connection = Data::get().open(path);
    Data::run(*connection, kTarget);
    auto table = Orvel::MetaModel::MetaTable::with_names("", "main", "target");
    for (const auto& [column, kind] : std::vector<std::pair<std::string, DataType>>{
             {"id", DataType::Int64}, {"price", DataType::Double}, {"name", DataType::String},
             {"note", DataType::String}, {"stock", DataType::Int64}, {"maybe", DataType::Int64}}) {
      auto meta = table->new_column(column, kind);
      meta->set_data("SOURCE", column);
      meta->set_is_primary_key(column == "id");
    }
    auto extractor = DsvExtractor::create("csv");
    extractor->get_options() = {{"FILENAME", csv}, {"ACTION", "append"}, {"FAST_IMPORT", fast ? "true" : "false"}};
    Tolvane::Core::Result<std::int64_t> outcome = 0;
    seconds += timed(state, [&] {
      bool finished = false;
      extractor->import_from_file(connection, table, nullptr, [&](auto result) {
        outcome = result;
        finished = true;
      });
      Host::run_until([&] { return finished; }, 3'600'000);
    });
    if (!outcome || *outcome != rows) {
      state.SkipWithError("import failed");
      return;
    }
    connection->close();
  }
  record(state, name, seconds);
}

void BM_ImportCsv_TolvaneFast(benchmark::State& state) { import_with(state, true, "import tolvane fast"); }
void BM_ImportCsv_TolvaneRowByRow(benchmark::State& state) { import_with(state, false, "import tolvane row by row"); }

void BM_ImportCsv_Sqlite3Shell(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string csv = import_source(rows);
  double seconds = 0;
  for (auto _ : state) {
    const std::string path = Data::get().file("shell-import.db");
    std::filesystem::remove(path);
    shell("sqlite3 '" + path + "' '" + kTarget + "'");
    seconds += timed(state, [&] { shell("sqlite3 '" + path + "' \".import --csv --skip 1 '" + csv + "' target\""); });
  }
  record(state, "import sqlite3", seconds);
}

BENCHMARK(BM_ExportCsv_Tolvane)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportCsv_Sqlite3Shell)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportJson_Tolvane)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportJson_Sqlite3Shell)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportCsv_TolvaneFast)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportCsv_Sqlite3Shell)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportCsv_TolvaneRowByRow)->Arg(1'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void print_ratios() {
  const auto& t = timings();
  const auto ratio = [&](const char* ours, const char* peer, int rows) {
    const auto a = t.find(std::string(ours) + "/" + std::to_string(rows));
    const auto b = t.find(std::string(peer) + "/" + std::to_string(rows));
    if (a != t.end() && b != t.end()) {
      std::printf("%-28s %9d rows: %8.3f s, sqlite3 %8.3f s, speed %.2f x the peer's\n", ours, rows, a->second,
                  b->second, b->second / a->second);
    }
  };
  std::printf("\n");
  ratio("export tolvane", "export sqlite3", 100'000);
  ratio("export tolvane", "export sqlite3", 1'000'000);
  ratio("export json tolvane", "export json sqlite3", 1'000'000);
  ratio("import tolvane fast", "import sqlite3", 1'000'000);
  const auto slow = t.find("import tolvane row by row/1000");
  const auto peer = t.find("import sqlite3/1000000");
  if (slow != t.end() && peer != t.end()) {
    std::printf("%-28s %9d rows: %8.3f s (%.0f rows/s; sqlite3 %.0f rows/s)\n", "import tolvane row by row", 1'000,
                slow->second, 1'000 / slow->second, 1'000'000 / peer->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  print_ratios();
  return 0;
}
