#pragma once

#include <chrono>
#include <mutex>

#include "orvel/contracts/thread/transform.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/transform/job_options.hpp"
#include "orvel/transform/patcher.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Transform {

// What the synchronizers share: the options map, a Patcher, the two
// connections, the progress record and the step report.
//
// Threads: a job runs on one worker thread at a time; the host reads the
// progress record from any thread (it locks itself). The member pointers are
// guarded by `m_mutex`, held only to read or set them, so the host's getters
// never wait for a step.
class ORVEL_API SyncJob : public Core::Object, public Contracts::Thread::ISynchronize {
  TOLVANE_OBJECT(SyncJob)

  explicit SyncJob(Options options);

  Contracts::Database::IConnectionPtr server_source() const override;
  void set_server_source(Contracts::Database::IConnectionPtr connection) override;
  Contracts::Database::IConnectionPtr server_target() const override;
  void set_server_target(Contracts::Database::IConnectionPtr connection) override;
  Contracts::Thread::ProgressPtr progress() const override;
  void set_progress(Contracts::Thread::ProgressPtr progress) override;

 protected:
  // The start of the job's run, for the elapsed time of its steps.
  void start_clock() { m_start = std::chrono::steady_clock::now(); }
  // `text` as one all-or-nothing piece: inside a savepoint, which the script
  // runner rolls back when one of its statements fails.
  static std::string all_or_nothing(const std::string& text);
  // One step ended: success without a line, or failure with the stamped
  // line of the error's message.
  void report(Contracts::Thread::Progress& progress, const Core::Status& outcome) const;

  const JobOptions m_options;
  const Patcher m_patcher;
  mutable std::recursive_mutex m_mutex;

 private:
  Contracts::Database::IConnectionPtr m_source;   // guarded by m_mutex
  Contracts::Database::IConnectionPtr m_target;   // guarded by m_mutex
  Contracts::Thread::ProgressPtr m_progress;      // guarded by m_mutex
  std::chrono::steady_clock::time_point m_start;  // written and read by the running job only
};

}  // namespace Tolvane::Orvel::Transform
