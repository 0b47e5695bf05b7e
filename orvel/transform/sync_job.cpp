#include "orvel/transform/sync_job.hpp"

namespace Tolvane::Orvel::Transform {

const Core::TypeInfo& SyncJob::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelTransformSyncJob", &Core::Object::static_type(),
                                   {&Contracts::Thread::ISynchronize::static_type()}, nullptr, {});
  return info;
}

SyncJob::SyncJob(Options options) : m_options(std::move(options)) {}

std::string SyncJob::all_or_nothing(const std::string& text) {
  return "SAVEPOINT tolvane_step;\n" + text + "\nRELEASE tolvane_step;";
}

void SyncJob::report(Contracts::Thread::Progress& progress, const Core::Status& outcome) const {
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start);
  if (outcome) {
    progress.report_success(elapsed);
  } else {
    progress.report_failure(elapsed, Contracts::Thread::Progress::stamped(outcome.error().message));
  }
}

}  // namespace Tolvane::Orvel::Transform
