#pragma once

#include <functional>

#include <glib.h>

#include "tessin/core/glib_ptr.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// The caller's thread-default main context (the global default when none was
// pushed), with a reference of its own.
TESSIN_API GRef<GMainContext> thread_default_context();

// Runs `callback` once from an idle source of `priority` attached to `context`.
TESSIN_API void invoke_idle(GMainContext* context, int priority, std::function<void()> callback);

// Runs `work` on a worker thread of GLib's task pool, then `done` in the main
// context that was the caller's thread-default context when this was called.
TESSIN_API void run_in_worker(std::function<void()> work, std::function<void()> done);

// Iterates `context` (the default one when null) until `condition` holds or
// `timeout_ms` has passed; returns whether the condition held.
TESSIN_API bool iterate_until(const std::function<bool()>& condition, unsigned timeout_ms,
                              GMainContext* context = nullptr);

}  // namespace Tolvane::Core
