// tolvane sync <source> <target> [--only NAME,...] [--dry-run] [--continue]

#include <atomic>
#include <chrono>
#include <thread>

#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_stream.hpp"
#include "tools/tolvane/progress.hpp"
#include "tools/tolvane/schema_pair.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Transform::StructureSynchronizerPtr;

struct SyncArguments {
  SchemaPair pair;
  std::vector<std::string> only;
  bool dry_run = false;
  bool keep_going = false;
};

// Runs the job on a worker thread, as a front end does, and follows its
// progress record from this one: the progress line, and each line the job
// queues (failures) on standard error.
Orvel::Contracts::Thread::Progress::Snapshot follow(const StructureSynchronizerPtr& job, std::int64_t steps) {
  auto record = job->progress();
  std::atomic<bool> done = false;
  std::thread worker([&] {
    job->handle();
    done = true;
  });
  Progress bar("steps", steps);
  auto print_lines = [&] {
    for (const std::string& line : record->take_messages()) {
      bar.finish();
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  };
  while (!done) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bar.set(record->processed());
    print_lines();
  }
  worker.join();
  bar.finish();
  print_lines();
  return record->snapshot();
}

int run_sync(Session& session, SyncArguments arguments) {
  if (arguments.keep_going && arguments.dry_run) {
    return report(Failure{kUsage, "--continue and --dry-run do not go together"});
  }
  auto pair = arguments.pair.open(session);
  if (!pair) {
    return report(pair.error());
  }
  auto finish = [&](int code) {
    pair->close();
    return code;
  };
  std::vector<std::string> only;
  for (const std::string& names : arguments.only) {
    for (std::string& name : CLI::detail::split(names, ',')) {
      if (!name.empty()) {
        only.push_back(std::move(name));
      }
    }
  }
  auto job = pair->job_for(only, arguments.keep_going);
  if (!job) {
    return finish(report(job.error()));
  }
  auto steps = (*job)->plan();
  if (!steps) {
    return finish(report(Failure{kStatementFailed, "cannot make the script: " + describe(steps.error())}));
  }
  // Schemas that list the same objects in another order differ as wholes
  // but need no step.
  if (steps->empty()) {
    std::fprintf(stderr, "nothing to do: the structures are the same%s\n", only.empty() ? "" : " in what was named");
    return finish(kSuccess);
  }
  if (arguments.dry_run) {
    OutputStream::standard_output().write(sync_script(*steps));
    return finish(finish_output(kSuccess));
  }
  auto& provider = Session::provider_of(*pair->target);
  Interrupts::Scope interruptible([](void* target) { static_cast<decltype(&provider)>(target)->interrupt(); },
                                  &provider);
  const auto outcome = follow(*job, static_cast<std::int64_t>(steps->size()));
  if (Interrupts::requested()) {
    return finish(Interrupts::report());
  }
  if (!outcome.finished) {
    return finish(report(Failure{kStatementFailed, "the synchronization could not start; see the log"}));
  }
  const auto done = outcome.processed - outcome.failed;
  std::fprintf(stderr, "%s: %lld of %lld steps done, %lld failed (%.1f s)\n",
               outcome.failed == 0 ? "synchronized" : "synchronization failed", static_cast<long long>(done),
               static_cast<long long>(steps->size()), static_cast<long long>(outcome.failed),
               static_cast<double>(outcome.elapsed.count()) / 1e6);
  return finish(outcome.failed == 0 ? kSuccess : kStatementFailed);
}

}  // namespace

Runner add_sync_command(CLI::App& app) {
  auto arguments = std::make_shared<SyncArguments>();
  CLI::App* command = app.add_subcommand("sync", "Bring a database's structure in line with another's");
  command->footer(
      "Change the structure of the target's main schema to that of the source: create the tables and\n"
      "views only the source has, drop those only the target has, and rebuild changed tables keeping\n"
      "their rows (a column that takes the place of a removed one at the same position, as a rename\n"
      "does, takes over its values). `tolvane diff SOURCE TARGET --sql` shows what will run.\n"
      "\n"
      "Everything runs in one transaction: the first failure (a constraint the target's rows do not\n"
      "meet, a table that cannot be rebuilt faithfully) rolls all of it back and the target stays as\n"
      "it was. With --continue each object is changed on its own, all or nothing, and a failure\n"
      "does not stop the others. Rows are never copied from the source.\n"
      "\n"
      "Example: tolvane sync app-v2.db app.db --only orders,order_totals");
  arguments->pair.add(*command);
  command->add_option("--only", arguments->only, "NAME,...: only these tables and views")->allow_extra_args(false);
  command->add_flag("--dry-run", arguments->dry_run, "Print the script instead of running it");
  command->add_flag("--continue", arguments->keep_going, "Go on after a failed object (each object all or nothing)");
  return [command, arguments](Session& session) {
    return command->parsed() ? run_sync(session, *arguments) : -1;
  };
}

}  // namespace Tolvane::Cli
