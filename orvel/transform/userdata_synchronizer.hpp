#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvel/orvel_api.hpp"
#include "orvel/transform/sync_job.hpp"
#include "tessin/contracts/data_set_model.hpp"

namespace Tolvane::Orvel::Transform {

// Brings the table data of the target in line with the source's: loads both
// sides into data sets through the adapters, compares them row by row by
// position (Patcher::diff_data_set), has the target's builder turn each
// changed table into DML and runs it on the target through the script
// runner, each text all or nothing. A table whose builder text is empty is
// no step. With "OPTION|RESULT|CONTINUE" not "true" the first failure stops
// the job.
//
// With two SQLite connections the adapters leave the data sets empty, so the
// job finds nothing to do.
class ORVEL_API UserdataSynchronizer final : public SyncJob {
  TOLVANE_OBJECT(UserdataSynchronizer)

  explicit UserdataSynchronizer(Options options);
  static std::shared_ptr<UserdataSynchronizer> create(Options options);

  Core::Status initialize() override;
  // Without initialize() (no data sets to compare) the job counts one
  // failed step saying so, and finishes.
  void handle() override;
  // The data-set patch, or null when the two are the same.
  Core::Result<Core::ObjectPtr> preview() override;
  Core::Result<std::vector<std::string>> generate() override;

  Providers::Contracts::DataSetModelPtr dataset_source() const;
  Providers::Contracts::DataSetModelPtr dataset_target() const;

 private:
  // The patch, or null when nothing differs; an error when there is nothing
  // to compare.
  Core::Result<Providers::Contracts::DataSetModelPtr> patch() const;

  Providers::Contracts::DataSetModelPtr m_dataset_source;  // guarded by m_mutex
  Providers::Contracts::DataSetModelPtr m_dataset_target;  // guarded by m_mutex
};

using UserdataSynchronizerPtr = std::shared_ptr<UserdataSynchronizer>;

}  // namespace Tolvane::Orvel::Transform
