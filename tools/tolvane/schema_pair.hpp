#pragma once

#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "orvel/transform/structure_synchronizer.hpp"
#include "tools/tolvane/session.hpp"

namespace Tolvane::Cli {

// The two databases of `diff` and `sync`: the source, whose structure is
// wanted, and the target, which is compared with it or brought in line. Each
// takes its own key and opening options (--source-key, --target-key, ...,
// TOLVANE_SOURCE_KEY and TOLVANE_TARGET_KEY).
struct SchemaPair {
  OpenRequest source;
  OpenRequest target;

  // Registers the two database arguments and their opening options.
  void add(CLI::App& command);

  // Both opened, with a structure synchronizer between their main schemas
  // that selects what `options` selects, filled.
  struct Opened {
    std::shared_ptr<Orvel::Supports::Database::SQLiteConnection> source;
    std::shared_ptr<Orvel::Supports::Database::SQLiteConnection> target;
    Orvel::Transform::StructureSynchronizerPtr job;
    // What differs; null when the two are the same.
    Orvel::MetaModel::MetaSchemaPtr patch;

    // A job that selects every object of the patch, or those of `only`;
    // `continuing`: go on after a failed step.
    Outcome<Orvel::Transform::StructureSynchronizerPtr> job_for(const std::vector<std::string>& only = {},
                                                                bool continuing = false) const;
    void close();
  };
  Outcome<Opened> open(Session& session) const;
};

// The script a synchronization runs, in its order: each step's text after a
// comment naming the object, a step the builder refuses as a comment with the
// reason (also said on standard error).
std::string sync_script(const std::vector<Orvel::Transform::SyncStep>& steps);

// "insert", "update", "delete", "identical".
const char* change_word(Providers::Contracts::DataVersion mark);

}  // namespace Tolvane::Cli
