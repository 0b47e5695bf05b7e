#include "orvel/transform/userdata_synchronizer.hpp"

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/supports/database/script_runner.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using Providers::Contracts::DataSetModel;
using Providers::Contracts::DataSetModelPtr;
using Providers::Contracts::DataVersion;

bool blank(const std::string& text) { return text.find_first_not_of(" \t\r\n\f\v") == std::string::npos; }

}  // namespace

const Core::TypeInfo& UserdataSynchronizer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelTransformUserdataSynchronizer", &SyncJob::static_type(), {}, nullptr,
                                   {});
  return info;
}

UserdataSynchronizer::UserdataSynchronizer(Options options) : SyncJob(std::move(options)) {}

std::shared_ptr<UserdataSynchronizer> UserdataSynchronizer::create(Options options) {
  return std::make_shared<UserdataSynchronizer>(std::move(options));
}

Core::Status UserdataSynchronizer::initialize() {
  auto source = server_source();
  auto target = server_target();
  TOLVANE_RETURN_VAL_IF_FAIL(source != nullptr, "m_source != NULL", {});
  TOLVANE_RETURN_VAL_IF_FAIL(target != nullptr, "m_target != NULL", {});
  auto from = DataSetModel::create();
  auto to = DataSetModel::create();
  {
    std::lock_guard lock(m_mutex);
    m_dataset_source = from;
    m_dataset_target = to;
  }
  if (auto filled = source->adapter()->fill_data_set(from); !filled) {
    return filled;
  }
  return target->adapter()->fill_data_set(to);
}

DataSetModelPtr UserdataSynchronizer::dataset_source() const {
  std::lock_guard lock(m_mutex);
  return m_dataset_source;
}

DataSetModelPtr UserdataSynchronizer::dataset_target() const {
  std::lock_guard lock(m_mutex);
  return m_dataset_target;
}

Core::Result<DataSetModelPtr> UserdataSynchronizer::patch() const {
  auto from = dataset_source();
  auto to = dataset_target();
  if (!from || !to) {
    return std::unexpected(Core::Error{"SQL", -1, "no data to compare: the job was not initialized"});
  }
  DataSetModelPtr found;
  if (m_patcher.diff_data_set(from, to, &found) != static_cast<int>(DataVersion::Update)) {
    return DataSetModelPtr();
  }
  return found;
}

Core::Result<Core::ObjectPtr> UserdataSynchronizer::preview() {
  auto found = patch();
  if (!found) {
    return std::unexpected(found.error());
  }
  return Core::ObjectPtr(*found);
}

Core::Result<std::vector<std::string>> UserdataSynchronizer::generate() {
  auto found = patch();
  if (!found) {
    return std::unexpected(found.error());
  }
  std::vector<std::string> texts;
  auto target = server_target();
  if (!*found || !target) {
    return texts;
  }
  auto builder = target->builder();
  for (const auto& table : (*found)->get_tables()) {
    std::string text = builder->patch_data_table(table);
    if (!blank(text)) {
      texts.push_back(std::move(text));
    }
  }
  return texts;
}

void UserdataSynchronizer::handle() {
  auto source = server_source();
  auto target = server_target();
  TOLVANE_RETURN_IF_FAIL(source != nullptr, "m_source != NULL");
  TOLVANE_RETURN_IF_FAIL(target != nullptr, "m_target != NULL");
  start_clock();
  const bool continuing = m_options.continue_on_failure();
  const auto record = progress();
  auto texts = generate();
  if (!texts) {
    // Nothing was compared: that is no success.
    report(*record, Core::fail(texts.error()));
    record->set_finished(true);
    return;
  }
  Supports::Database::ScriptRunner runner(*target);
  for (const std::string& text : *texts) {
    auto outcome = runner.run(all_or_nothing(text));
    report(*record, outcome ? Core::Status() : Core::Status(Core::fail(outcome.error().to_error())));
    if (!outcome && !continuing) {
      break;
    }
  }
  record->set_finished(true);
}

}  // namespace Tolvane::Orvel::Transform
