#pragma once

#include <memory>
#include <mutex>

#include "orvel/contracts/thread/transform.hpp"

namespace Tolvane::Orvel::Transform {

// The two connections and the progress record every transform job holds, with
// their accessors. A host sets them from its own thread and polls the record
// while the job runs on a worker thread, so they sit behind a lock of their
// own that is held only to read or set a pointer (never across a step). A job
// always has a record: setting none gives it a fresh one.
template <class Contract>
class JobEnds : public Contract {
 public:
  Contracts::Database::IConnectionPtr server_source() const override {
    std::lock_guard lock(m_ends_mutex);
    return m_source;
  }
  void set_server_source(Contracts::Database::IConnectionPtr connection) override {
    std::lock_guard lock(m_ends_mutex);
    m_source = std::move(connection);
  }
  Contracts::Database::IConnectionPtr server_target() const override {
    std::lock_guard lock(m_ends_mutex);
    return m_target;
  }
  void set_server_target(Contracts::Database::IConnectionPtr connection) override {
    std::lock_guard lock(m_ends_mutex);
    m_target = std::move(connection);
  }
  Contracts::Thread::ProgressPtr progress() const override {
    std::lock_guard lock(m_ends_mutex);
    return m_progress;
  }
  void set_progress(Contracts::Thread::ProgressPtr progress) override {
    std::lock_guard lock(m_ends_mutex);
    m_progress = progress ? std::move(progress) : std::make_shared<Contracts::Thread::Progress>();
  }

 private:
  mutable std::mutex m_ends_mutex;
  Contracts::Database::IConnectionPtr m_source;
  Contracts::Database::IConnectionPtr m_target;
  Contracts::Thread::ProgressPtr m_progress = std::make_shared<Contracts::Thread::Progress>();
};

}  // namespace Tolvane::Orvel::Transform
