#include "orvel/transform/sync_job.hpp"

namespace Tolvane::Orvel::Transform {

const Core::TypeInfo& SyncJob::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelTransformSyncJob", &Core::Object::static_type(),
                                   {&Contracts::Thread::ISynchronize::static_type()}, nullptr, {});
  return info;
}

SyncJob::SyncJob(Options options)
    : m_options(std::move(options)), m_progress(std::make_shared<Contracts::Thread::Progress>()) {}

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

Contracts::Database::IConnectionPtr SyncJob::server_source() const {
  std::lock_guard lock(m_mutex);
  return m_source;
}

void SyncJob::set_server_source(Contracts::Database::IConnectionPtr connection) {
  std::lock_guard lock(m_mutex);
  m_source = std::move(connection);
}

Contracts::Database::IConnectionPtr SyncJob::server_target() const {
  std::lock_guard lock(m_mutex);
  return m_target;
}

void SyncJob::set_server_target(Contracts::Database::IConnectionPtr connection) {
  std::lock_guard lock(m_mutex);
  m_target = std::move(connection);
}

Contracts::Thread::ProgressPtr SyncJob::progress() const {
  std::lock_guard lock(m_mutex);
  return m_progress;
}

void SyncJob::set_progress(Contracts::Thread::ProgressPtr progress) {
  std::lock_guard lock(m_mutex);
  m_progress = std::move(progress);
}

}  // namespace Tolvane::Orvel::Transform
