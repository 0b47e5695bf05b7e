#include "orvel/supports/database/data_cache.hpp"

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

const Core::TypeInfo& DataCache::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseDataCache", &Core::Object::static_type(),
                                   {&Contracts::Database::ICachable::static_type()}, Core::factory_of<DataCache>(),
                                   {});
  return info;
}

void DataCache::append(std::optional<std::string_view> key, std::optional<std::string_view> value) {
  TOLVANE_RETURN_IF_FAIL(key.has_value(), "key != NULL");
  TOLVANE_RETURN_IF_FAIL(value.has_value(), "value != NULL");
  std::lock_guard<std::recursive_mutex> guard(m_mutex);
  auto found = m_entries.find(*key);
  if (found != m_entries.end()) {
    found->second.assign(*value);
  } else {
    m_entries.emplace(std::string(*key), std::string(*value));
  }
}

std::optional<std::string> DataCache::lookup(std::optional<std::string_view> key) const {
  TOLVANE_RETURN_VAL_IF_FAIL(key.has_value(), "key != NULL", std::nullopt);
  std::lock_guard<std::recursive_mutex> guard(m_mutex);
  auto found = m_entries.find(*key);
  if (found == m_entries.end()) {
    return std::nullopt;
  }
  return found->second;
}

void DataCache::clear() {
  std::lock_guard<std::recursive_mutex> guard(m_mutex);
  m_entries.clear();
}

std::size_t DataCache::size() const {
  std::lock_guard<std::recursive_mutex> guard(m_mutex);
  return m_entries.size();
}

}  // namespace Tolvane::Orvel::Supports::Database
