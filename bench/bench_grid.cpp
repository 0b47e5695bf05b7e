// The result grid against a raw C grid, measured the way a user meets it: each
// grid is built and freed in a fresh process (grid_driver), so page faults and a
// cold heap count. Every iteration runs one pair, the two in alternating order;
// the counters are the medians over the pairs and their ratios:
//
//   speed  = raw CPU time / model CPU time   (1.0: as fast as the raw grid)
//   memory = model peak / raw peak            (resident, whole process)
//   growth = the same over the resident size before the grid was built

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/temp_database.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace {

constexpr int kRows = 1'000'000;
constexpr const char* kQuery = "SELECT * FROM grid";

// The table: a million rows of five columns of mixed storage classes (an
// integer key, a real, a short text, a 41-byte text, and an integer that is
// null every third row).
const std::string& table_file() {
  static const Tolvane::Bench::TempDatabase table(
      "grid.db", "CREATE TABLE grid AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                     std::to_string(kRows) +
                     ") SELECT i AS id, i * 0.25 AS ratio, 'row ' || i AS label, "
                     "printf('a longer text of row number %013d', i) AS note, "
                     "CASE WHEN i % 3 = 0 THEN NULL ELSE i * 7 END AS sometimes FROM n");
  return table.file();
}

struct Run {
  double cpu_ms = 0;
  double process_cpu_ms = 0;  // the whole child: start, libraries, grid, exit
  double peak_mb = 0;
  double growth_mb = 0;
};

double child_cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3) +
         (static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

bool run_driver(const char* mode, Run& run) {
  const std::string& file = table_file();
  const char* argv[] = {TOLVANE_GRID_DRIVER, mode, file.c_str(), kQuery, nullptr};
  gchar* out = nullptr;
  gint status = 0;
  const double before = child_cpu_ms();
  const bool spawned = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                    &out, nullptr, &status, nullptr) != FALSE;
  run.process_cpu_ms = child_cpu_ms() - before;
  const Tolvane::Core::GCharPtr output(out);
  long long cpu_ns = 0;
  long long wall_ns = 0;
  std::size_t rows = 0;
  std::size_t cells = 0;
  long base_kb = 0;
  long peak_kb = 0;
  if (!spawned || !g_spawn_check_wait_status(status, nullptr) || out == nullptr ||
      std::sscanf(out, "cpu_ns=%lld wall_ns=%lld rows=%zu cells=%zu base_kb=%ld peak_kb=%ld", &cpu_ns, &wall_ns,
                  &rows, &cells, &base_kb, &peak_kb) != 6 ||
      rows != static_cast<std::size_t>(kRows)) {
    return false;
  }
  run.cpu_ms = static_cast<double>(cpu_ns) / 1e6;
  run.peak_mb = static_cast<double>(peak_kb) / 1024.0;
  run.growth_mb = static_cast<double>(peak_kb - base_kb) / 1024.0;
  return true;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <class Field>
double median_of(const std::vector<Run>& runs, Field field) {
  std::vector<double> values;
  values.reserve(runs.size());
  for (const Run& run : runs) {
    values.push_back(run.*field);
  }
  return median(values);
}

// One iteration is one pair; the manual time is the model's CPU time.
void BM_GridFillAndFree(benchmark::State& state) {
  std::vector<Run> raw;
  std::vector<Run> model;
  for (auto _ : state) {
    Run a;
    Run b;
    const bool raw_first = raw.size() % 2 == 0;
    const bool ok = raw_first ? run_driver("raw", a) && run_driver("model", b)
                              : run_driver("model", b) && run_driver("raw", a);
    if (!ok) {
      state.SkipWithError("grid_driver failed");
      break;
    }
    raw.push_back(a);
    model.push_back(b);
    state.SetIterationTime(b.cpu_ms / 1e3);
  }
  if (raw.empty()) {
    return;
  }
  const double raw_cpu = median_of(raw, &Run::cpu_ms);
  const double model_cpu = median_of(model, &Run::cpu_ms);
  state.counters["raw_cpu_ms"] = raw_cpu;
  state.counters["model_cpu_ms"] = model_cpu;
  state.counters["speed"] = raw_cpu / model_cpu;
  state.counters["process_speed"] = median_of(raw, &Run::process_cpu_ms) / median_of(model, &Run::process_cpu_ms);
  state.counters["raw_peak_MB"] = median_of(raw, &Run::peak_mb);
  state.counters["model_peak_MB"] = median_of(model, &Run::peak_mb);
  state.counters["memory"] = median_of(model, &Run::peak_mb) / median_of(raw, &Run::peak_mb);
  state.counters["growth"] = median_of(model, &Run::growth_mb) / median_of(raw, &Run::growth_mb);
  state.SetItemsProcessed(static_cast<std::int64_t>(model.size()) * kRows * 5);
}
BENCHMARK(BM_GridFillAndFree)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  table_file();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
