// Cost of log lines through the facade: dropped by every threshold, written to
// the main log's slice file, written for a connection (its temporary log and
// the main log), and a script's worth of connection lines from one thread and
// from four.
//
// Every written benchmark runs twice: as a PLAIN line, which waits in memory
// for the flusher, and as a RISKY line, which is written at once. A RISKY line
// costs what every line cost while each was one unbuffered write, so the pair
// is the before/after comparison, measured side by side in the same run.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <glib.h>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/foundation/services.hpp"
#include "orvel/supports/log/log_manager.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"

namespace {

using namespace Tolvane::Orvel;
using Contracts::Log::LogLevel;
using Foundation::LoggingService;

constexpr const char* kConnection = "6f1c2b7a-5d0e-4c1a-9e7b-3a2f1d0c9b8a";

enum class Write { Buffered, AtOnce };

// The facade's PLAIN or RISKY operation with the same text.
template <class... Args>
void log_line(Write write, const char* uuid, const char* format, Args... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
  if (write == Write::Buffered) {
    LoggingService::info(uuid, format, args...);
  } else {
    LoggingService::warning(uuid, format, args...);
  }
#pragma GCC diagnostic pop
}

Write mode(const benchmark::State& state) { return state.range(0) == 0 ? Write::Buffered : Write::AtOnce; }

// The connection's temporary log of the current run; the library leaves them.
std::string g_temp_log;

void remove_connection_log() {
  LoggingService::get_manager()->close(kConnection);
  std::error_code ignored;
  std::filesystem::remove(g_temp_log, ignored);
  g_temp_log.clear();
}

// Each run starts with a new connection log, so the temporary folder does not
// fill up with the lines of every run.
void open_connection_log(const benchmark::State&) {
  if (!g_temp_log.empty()) {
    remove_connection_log();
  }
  auto connection = LoggingService::get_manager()->open(kConnection);
  connection->initialize("localhost", "bench db");
  for (const auto& handler : connection->get_handlers()) {
    if (auto file = std::dynamic_pointer_cast<Supports::Log::TempFileLogHandler>(handler)) {
      g_temp_log = file->get_file_name();
    }
  }
}

void BM_FilteredLine(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    LoggingService::debug(nullptr, "fetched row %d of %s", ++i, "main.items");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FilteredLine);
BENCHMARK(BM_FilteredLine)->Threads(2);

void BM_FilteredConnectionLine(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    LoggingService::debug(kConnection, "fetched row %d of %s", ++i, "main.items");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FilteredConnectionLine)->Threads(2);

void BM_WrittenLine(benchmark::State& state) {
  const Write write = mode(state);
  int i = 0;
  for (auto _ : state) {
    log_line(write, nullptr, "query %d done in %s", ++i, "12 ms");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WrittenLine)->ArgName("at_once")->Arg(0)->Arg(1);

void BM_WrittenConnectionLine(benchmark::State& state) {
  const Write write = mode(state);
  int i = 0;
  for (auto _ : state) {
    log_line(write, kConnection, "SQL: %s -- %d", "SELECT * FROM items WHERE id = ?", ++i);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WrittenConnectionLine)->ArgName("at_once")->Arg(0)->Arg(1)->Setup(open_connection_log);

// What a script of 100 000 statements logs through a connection: each line
// reaches two handlers (the connection's temporary log and the main log's
// slices, which rotate every MiB), shared among the benchmark's threads.
void BM_ScriptLoad(benchmark::State& state) {
  constexpr int kLines = 100000;
  const Write write = mode(state);
  const int share = kLines / state.threads();
  for (auto _ : state) {
    for (int i = 0; i < share; ++i) {
      if (i % 2 == 0) {
        log_line(write, kConnection, "SQL: %s", "INSERT INTO items(id, name, price) VALUES (?1, 'a name', 12.5)");
      } else {
        log_line(write, kConnection, "affected rows: %d", 1);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * share);
}
BENCHMARK(BM_ScriptLoad)
    ->ArgName("at_once")
    ->Arg(0)
    ->Arg(1)
    ->Threads(1)
    ->Threads(4)
    ->Setup(open_connection_log)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  gchar* made = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
  std::string folder = made != nullptr ? made : ".";
  g_free(made);
  Foundation::Services::initialize();
  Foundation::Services::register_type(Contracts::Log::ILogManager::static_type(),
                                      Supports::Log::LogManager::static_type());
  // The default slice size and slice count, so rotation and the removal of
  // old slices are part of the written line's cost.
  LoggingService::initialize("bench-main", LogLevel::PLAIN, folder, 1048576);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (!g_temp_log.empty()) {
    remove_connection_log();
  }
  LoggingService::shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
