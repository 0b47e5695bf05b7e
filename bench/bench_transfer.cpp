// `tolvane copy` of a whole database into an empty one against the sqlite3
// shell's `sqlite3 SRC .dump | sqlite3 DST`, side by side in the same run on
// the same source: both start processes, so both figures include starting
// them. The source holds one table of integers, reals, texts, NULLs and
// blobs, with an index. Ratios are printed at the end (above 1: tolvane is
// faster).
//
//   build/release/bench/bench_transfer [--benchmark_filter=...]

#include <benchmark/benchmark.h>
#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

class Data {
 public:
  static Data& get() {
    static Data data;
    return data;
  }

  std::string file(const std::string& name) const { return m_folder + "/" + name; }

  // "source<rows>.db", made once per row count by the shell.
  const std::string& source(int rows) {
    auto found = m_sources.find(rows);
    if (found != m_sources.end()) {
      return found->second;
    }
    const std::string path = file("source" + std::to_string(rows) + ".db");
    shell("sqlite3 '" + path +
          "' \"CREATE TABLE t(id INTEGER PRIMARY KEY, qty INTEGER, price REAL, code TEXT, note TEXT, data BLOB);"
          " CREATE INDEX t_code ON t(code);"
          " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(rows) +
          ") INSERT INTO t SELECT i, i % 1000, i * 0.37, 'C' || (i % 9973),"
          " CASE WHEN i % 10 = 0 THEN NULL ELSE 'a note about row ' || i || ', with a comma' END,"
          " CASE WHEN i % 50 = 0 THEN randomblob(8) ELSE NULL END FROM n;\"");
    return m_sources.emplace(rows, path).first->second;
  }

  static void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "failed: %s\n", command.c_str());
      std::abort();
    }
  }

 private:
  Data() {
    char* folder = g_dir_make_tmp("bench-transfer-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    // The command's own files (logs, settings) go here too.
    for (const char* variable : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      g_setenv(variable, m_folder.c_str(), TRUE);
    }
    g_unsetenv("TOLVANE_SOURCE_KEY");
    g_unsetenv("TOLVANE_TARGET_KEY");
  }
  ~Data() { std::filesystem::remove_all(m_folder); }

  std::string m_folder;
  std::map<int, std::string> m_sources;
};

std::map<std::string, double>& timings() {
  static std::map<std::string, double> seconds;
  return seconds;
}

// Copies the source of state.range(0) rows into a fresh target with
// `command` (SRC and DST filled in), timing only the copy.
void copy_with(benchmark::State& state, const std::string& name, const std::string& command) {
  const int rows = static_cast<int>(state.range(0));
  const std::string source = Data::get().source(rows);
  const std::string target = Data::get().file("target.db");
  double seconds = 0;
  for (auto _ : state) {
    std::filesystem::remove(target);
    std::string text = command;
    text.replace(text.find("SRC"), 3, "'" + source + "'");
    text.replace(text.find("DST"), 3, "'" + target + "'");
    const double start = static_cast<double>(g_get_monotonic_time()) / 1e6;
    Data::shell(text);
    const double took = static_cast<double>(g_get_monotonic_time()) / 1e6 - start;
    state.SetIterationTime(took);
    seconds += took;
  }
  timings()[name + "/" + std::to_string(rows)] = seconds / static_cast<double>(state.iterations());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void BM_Copy_Tolvane(benchmark::State& state) {
  copy_with(state, "tolvane copy", std::string("'") + TOLVANE_BINARY + "' copy SRC DST --target-create 2>/dev/null");
}

void BM_Copy_Sqlite3Dump(benchmark::State& state) {
  copy_with(state, "sqlite3 .dump | sqlite3", "sqlite3 SRC .dump | sqlite3 DST");
}

BENCHMARK(BM_Copy_Tolvane)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Copy_Sqlite3Dump)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void print_ratios() {
  const auto& t = timings();
  std::printf("\n");
  for (int rows : {100'000, 1'000'000}) {
    const auto ours = t.find("tolvane copy/" + std::to_string(rows));
    const auto peer = t.find("sqlite3 .dump | sqlite3/" + std::to_string(rows));
    if (ours != t.end() && peer != t.end()) {
      std::printf("tolvane copy %9d rows: %7.3f s, sqlite3 .dump | sqlite3 %7.3f s, speed %.2f x the peer's\n", rows,
                  ours->second, peer->second, peer->second / ours->second);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  print_ratios();
  benchmark::Shutdown();
  return 0;
}
