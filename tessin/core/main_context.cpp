#include "tessin/core/main_context.hpp"

#include <atomic>

#include <gio/gio.h>

namespace Tolvane::Core {

GRef<GMainContext> thread_default_context() { return GRef<GMainContext>::adopt(g_main_context_ref_thread_default()); }

namespace {

// A callback handed to another thread's main context. GLib's own locking
// orders the hand-over, but it uses futexes that ThreadSanitizer cannot see;
// the release and acquire on `published` state the same order in a form it
// understands, so what the posting thread wrote before is not reported.
struct IdleCall {
  std::function<void()> callback;
  std::atomic<bool> published{false};
};

}  // namespace

void invoke_idle(GMainContext* context, int priority, std::function<void()> callback) {
  auto* held = new IdleCall{std::move(callback)};
  held->published.store(true, std::memory_order_release);
  GSource* source = g_idle_source_new();
  g_source_set_priority(source, priority);
  g_source_set_callback(
      source,
      [](gpointer data) -> gboolean {
        auto* call = static_cast<IdleCall*>(data);
        if (call->published.load(std::memory_order_acquire)) {
          call->callback();
        }
        return G_SOURCE_REMOVE;
      },
      held, [](gpointer data) { delete static_cast<IdleCall*>(data); });
  g_source_attach(source, context);
  g_source_unref(source);
}

namespace {

struct WorkerJob {
  std::function<void()> work;
  std::function<void()> done;
};

}  // namespace

void run_in_worker(std::function<void()> work, std::function<void()> done) {
  auto* job = new WorkerJob{std::move(work), std::move(done)};
  GTask* task = g_task_new(
      nullptr, nullptr,
      [](GObject*, GAsyncResult*, gpointer data) {
        auto* finished = static_cast<WorkerJob*>(data);
        finished->done();
        delete finished;
      },
      job);
  g_task_set_task_data(task, job, nullptr);
  g_task_run_in_thread(task, [](GTask* t, gpointer, gpointer task_data, GCancellable*) {
    static_cast<WorkerJob*>(task_data)->work();
    g_task_return_boolean(t, TRUE);
  });
  g_object_unref(task);
}

bool iterate_until(const std::function<bool()>& condition, unsigned timeout_ms, GMainContext* context) {
  GMainContext* ctx = context != nullptr ? context : g_main_context_default();
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeout_ms) * 1000;
  bool timed_out = false;
  guint timer = 0;
  GSource* source = g_timeout_source_new(timeout_ms);
  g_source_set_callback(
      source,
      [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &timed_out, nullptr);
  timer = g_source_attach(source, ctx);
  while (!condition() && !timed_out && g_get_monotonic_time() < deadline) {
    g_main_context_iteration(ctx, TRUE);
  }
  if (!timed_out) {
    g_source_destroy(source);
  }
  g_source_unref(source);
  (void)timer;
  return condition();
}

}  // namespace Tolvane::Core
