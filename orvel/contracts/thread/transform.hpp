#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/contracts/thread/progress.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Thread {

// A long job between two open connections, run synchronously on a worker
// thread the host provides; its state is published in the shared `Progress`.
class ORVEL_API ITransform {
  TOLVANE_INTERFACE(ITransform)

  virtual ~ITransform();

  virtual Core::Status initialize() = 0;
  // Never fails: errors become failed steps and progress lines.
  virtual void handle() = 0;

  virtual Database::IConnectionPtr server_source() const = 0;
  virtual void set_server_source(Database::IConnectionPtr connection) = 0;
  virtual Database::IConnectionPtr server_target() const = 0;
  virtual void set_server_target(Database::IConnectionPtr connection) = 0;
  virtual ProgressPtr progress() const = 0;
  virtual void set_progress(ProgressPtr progress) = 0;
};

// A job that compares before it acts: it shows the patch and the SQL it would
// run on the target.
class ORVEL_API ISynchronize : public virtual ITransform {
  TOLVANE_INTERFACE(ISynchronize)

  ~ISynchronize() override;

  // The patch object (a schema or a data set), or null when nothing differs.
  virtual Core::Result<Core::ObjectPtr> preview() = 0;
  virtual Core::Result<std::vector<std::string>> generate() = 0;
};

using ITransformPtr = std::shared_ptr<ITransform>;
using ISynchronizePtr = std::shared_ptr<ISynchronize>;

}  // namespace Tolvane::Orvel::Contracts::Thread
