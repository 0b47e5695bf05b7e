#include "orvel/supports/log/log_flusher.hpp"

#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <pthread.h>
#include <unistd.h>

namespace Tolvane::Orvel::Supports::Log {

namespace {

using Waiting = std::vector<std::weak_ptr<BufferedSink>>;

struct Flusher {
  std::mutex mutex;
  std::condition_variable wake;
  // Signalled when the thread has written a batch.
  std::condition_variable written;
  // Guarded by mutex:
  Waiting waiting;
  std::thread thread;
  bool started = false;
  bool exiting = false;
  // The process that started the thread. A child forked from it has no such
  // thread and writes its lines at once.
  pid_t owner = 0;
  // The thread is writing sinks it took from `waiting`.
  bool writing = false;
};

// Never destroyed: sinks may ask for it while static destructors run.
Flusher& flusher() {
  static Flusher* instance = new Flusher();
  return *instance;
}

// Sinks that went away have written their lines when they were destroyed.
void write_all(Waiting& sinks) {
  for (const std::weak_ptr<BufferedSink>& weak : sinks) {
    if (std::shared_ptr<BufferedSink> sink = weak.lock()) {
      sink->flush_pending();
    }
  }
  sinks.clear();
}

void run() {
  // The host's signals are for the host's threads.
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);

  Flusher& f = flusher();
  Waiting batch;
  std::unique_lock lock(f.mutex);
  for (;;) {
    f.wake.wait(lock, [&f] { return f.exiting || !f.waiting.empty(); });
    // The lines of the next moment ride along with the first one.
    if (f.exiting || f.wake.wait_for(lock, LogFlusher::kInterval, [&f] { return f.exiting; })) {
      return;  // exit writes what is waiting itself
    }
    batch.swap(f.waiting);
    f.writing = true;
    lock.unlock();
    write_all(batch);
    lock.lock();
    f.writing = false;
    f.written.notify_all();
  }
}

void at_exit() {
  Flusher& f = flusher();
  Waiting batch;
  std::thread thread;
  bool forked = false;
  {
    std::lock_guard lock(f.mutex);
    f.exiting = true;
    batch.swap(f.waiting);
    forked = f.owner != ::getpid();
    if (!forked) {
      thread = std::move(f.thread);
    }
  }
  if (!forked) {
    f.wake.notify_all();
  }
  write_all(batch);
  if (thread.joinable()) {
    thread.join();
  }
}

}  // namespace

BufferedSink::~BufferedSink() = default;

bool LogFlusher::schedule(std::weak_ptr<BufferedSink> sink) {
  Flusher& f = flusher();
  {
    std::lock_guard lock(f.mutex);
    if (f.exiting) {
      return false;
    }
    if (!f.started) {
      try {
        f.thread = std::thread(run);
      } catch (const std::system_error&) {
        return false;  // no thread to be had: lines are written at once
      }
      f.started = true;
      f.owner = ::getpid();
      std::atexit(at_exit);
    } else if (f.owner != ::getpid()) {
      return false;
    }
    f.waiting.push_back(std::move(sink));
  }
  f.wake.notify_one();
  return true;
}

void LogFlusher::flush_all() {
  Flusher& f = flusher();
  Waiting batch;
  {
    std::lock_guard lock(f.mutex);
    batch.swap(f.waiting);
  }
  write_all(batch);
  // Sinks the thread took before this call are written when it is done with
  // them; unless this is the thread itself (a sink that logs while it reports)
  // or a forked child, which has no such thread.
  std::unique_lock lock(f.mutex);
  if (f.started && f.owner == ::getpid() && f.thread.get_id() != std::this_thread::get_id()) {
    f.written.wait(lock, [&f] { return !f.writing; });
  }
}

bool LogFlusher::is_started() {
  Flusher& f = flusher();
  std::lock_guard lock(f.mutex);
  return f.started;
}

}  // namespace Tolvane::Orvel::Supports::Log
