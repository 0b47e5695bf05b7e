// Cost of one log line through the facade: dropped by every threshold, written
// to the main log's slice file, and written for a connection (its temporary
// log and the main log).

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

constexpr const char* kConnection = "6f1c2b7a-bench-conn";

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
  int i = 0;
  for (auto _ : state) {
    LoggingService::info(nullptr, "query %d done in %s", ++i, "12 ms");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WrittenLine);

void BM_WrittenConnectionLine(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    LoggingService::info(kConnection, "SQL: %s -- %d", "SELECT * FROM items WHERE id = ?", ++i);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WrittenConnectionLine);

}  // namespace

int main(int argc, char** argv) {
  gchar* made = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
  std::string folder = made != nullptr ? made : ".";
  g_free(made);
  Foundation::Services::initialize();
  Foundation::Services::register_type(Contracts::Log::ILogManager::static_type(),
                                      Supports::Log::LogManager::static_type());
  // The default slice size, so rotation is part of the written line's cost.
  LoggingService::initialize("bench-main", LogLevel::PLAIN, folder, 1048576);
  auto connection = LoggingService::get_manager()->open(kConnection);
  connection->initialize("localhost", "bench db");
  std::string temp_log;
  for (const auto& handler : connection->get_handlers()) {
    if (auto file = std::dynamic_pointer_cast<Supports::Log::TempFileLogHandler>(handler)) {
      temp_log = file->get_file_name();
    }
  }

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  LoggingService::shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::remove(temp_log, ignored);
  return 0;
}
