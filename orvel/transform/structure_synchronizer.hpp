#pragma once

#include <optional>
#include <string>
#include <vector>

#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/transform/sync_job.hpp"

namespace Tolvane::Orvel::Transform {

// One piece of work of a structure synchronization: the text that brings one
// object of the target to the source's definition.
struct ORVEL_API SyncStep {
  Providers::Contracts::DBObject kind = Providers::Contracts::DBObject::Table;
  std::string name;
  Providers::Contracts::DataVersion mark = Providers::Contracts::DataVersion::Initial;
  // The SQL, several statements; empty when refused.
  std::string text;
  // Why the builder will not rebuild the table (it cannot reproduce it
  // faithfully); such a step fails when run, it is never skipped silently.
  std::optional<Core::Error> refusal;
  // The text runs its own BEGIN ... COMMIT between settings it changes.
  bool own_transaction = false;
};

// Brings the structure of one schema of the target in line with a schema of
// the source: compares them (Patcher::diff_meta_schema), lets the caller
// choose objects with selection keys ("OPTION|table|orders"), and runs the
// resulting SQL on the target.
//
// Every text runs through the script runner, statement by statement, and runs
// completely or not at all. With "OPTION|RESULT|CONTINUE" not "true" the whole
// job is one transaction: the first failure rolls back every step before it,
// so the target is left exactly as it was. Tables are rebuilt keeping every
// row; the rebuild's backup table is dropped inside the same transaction.
// Views the job changes or removes are dropped before tables are rebuilt (an
// old view that uses a column the rebuild removes would fail the rebuild's
// checks) and made again after them.
//
// Threads as SyncJob says; the schema trees belong to the job's thread while
// it works.
class ORVEL_API StructureSynchronizer final : public SyncJob {
  TOLVANE_OBJECT(StructureSynchronizer)

  explicit StructureSynchronizer(Options options);
  static std::shared_ptr<StructureSynchronizer> create(Options options);

  Core::Status initialize() override;
  void handle() override;
  // The schema patch, or null when the two schemas are the same.
  Core::Result<Core::ObjectPtr> preview() override;
  // The texts of the selected steps, in the order handle() runs them;
  // refused steps have none.
  Core::Result<std::vector<std::string>> generate() override;
  // The selected steps, refused ones included.
  Core::Result<std::vector<SyncStep>> plan();

  MetaModel::MetaSchemaPtr schema_source() const;
  MetaModel::MetaSchemaPtr schema_target() const;

  // The selection keys that select every object of a schema patch.
  static Options select_all(const MetaModel::MetaSchemaPtr& patch);

 private:
  // Empties both schemas and fills them again, source first.
  Core::Status refill();
  struct Sides {
    Contracts::Database::IConnectionPtr source;
    Contracts::Database::IConnectionPtr target;
    MetaModel::MetaSchemaPtr schema_source;
    MetaModel::MetaSchemaPtr schema_target;
  };
  // The members the job works with, read under the lock; the work itself runs
  // without it, so the host's getters never wait for a step.
  Sides sides() const;
  bool run_steps(Contracts::Database::IConnection& target, const std::vector<SyncStep>& steps, bool whole_job);

  MetaModel::MetaSchemaPtr m_schema_source;  // guarded by m_mutex
  MetaModel::MetaSchemaPtr m_schema_target;  // guarded by m_mutex
};

using StructureSynchronizerPtr = std::shared_ptr<StructureSynchronizer>;

}  // namespace Tolvane::Orvel::Transform
