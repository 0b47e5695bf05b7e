#pragma once

// File reading and writing behind the asynchronous load and save of text and
// binary values. The file work runs on a worker thread and touches no value
// object; the outcome is handed back in the caller's main context.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tessin/core/error.hpp"
#include "tessin/core/main_context.hpp"

namespace Tolvane::Providers::Contracts::detail {

// The whole file, read in pieces of 1024 bytes; nothing (and no error) when the
// file does not exist.
Core::Result<std::optional<std::string>> read_file(const std::string& filename);

// Replaces the file (created when missing, no backup) with `content`, written in
// pieces of at most 1024 bytes. The old content stays until the new one is
// complete.
Core::Status write_file(const std::string& filename, std::string_view content);

template <class Outcome>
void run_file_job(std::function<Outcome()> work, std::function<void(Outcome&&)> finish) {
  auto outcome = std::make_shared<std::optional<Outcome>>();
  Core::run_in_worker([outcome, work = std::move(work)] { outcome->emplace(work()); },
                      [outcome, finish = std::move(finish)] { finish(std::move(**outcome)); });
}

}  // namespace Tolvane::Providers::Contracts::detail
