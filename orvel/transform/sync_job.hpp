#pragma once

#include <chrono>
#include <mutex>

#include "orvel/contracts/thread/transform.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/transform/job_ends.hpp"
#include "orvel/transform/job_options.hpp"
#include "orvel/transform/patcher.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Transform {

// What the synchronizers share: the options map, a Patcher, the two
// connections, the progress record and the step report.
//
// Threads: a job runs on one worker thread at a time; the host reads the
// progress record from any thread (it locks itself); the connections and the
// record are `JobEnds`'. `m_mutex` guards what the synchronizers add.
class ORVEL_API SyncJob : public Core::Object, public JobEnds<Contracts::Thread::ISynchronize> {
  TOLVANE_OBJECT(SyncJob)

  explicit SyncJob(Options options);

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
  std::chrono::steady_clock::time_point m_start;  // written and read by the running job only
};

}  // namespace Tolvane::Orvel::Transform
