#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "orvel/contracts/database/cachable.hpp"

namespace Tolvane::Orvel::Supports::Database {

class DataCache;
using DataCachePtr = std::shared_ptr<DataCache>;

// The connection's memo. Every operation holds the cache's recursive mutex for
// its whole run, so a lookup never sees a half-done append or clear; the mutex
// is recursive so that code already holding it through `locked` may call back in.
class ORVEL_API DataCache final : public Core::Object, public Contracts::Database::ICachable {
  TOLVANE_OBJECT(DataCache)

  DataCache() = default;
  static DataCachePtr create() { return std::make_shared<DataCache>(); }

  void append(std::optional<std::string_view> key, std::optional<std::string_view> value) override;
  std::optional<std::string> lookup(std::optional<std::string_view> key) const override;
  void clear() override;

  std::size_t size() const;

  // Runs `work` with the mutex held, for a look-up and an append that must not
  // be split by another thread ("compute once").
  template <class F>
  decltype(auto) locked(F&& work) {
    std::lock_guard<std::recursive_mutex> guard(m_mutex);
    return std::forward<F>(work)(*this);
  }

 private:
  mutable std::recursive_mutex m_mutex;
  // Ordered, and searched by string_view without building a key.
  std::map<std::string, std::string, std::less<>> m_entries;
};

}  // namespace Tolvane::Orvel::Supports::Database
