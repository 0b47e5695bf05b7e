#include "orvel/contracts/setting/user_setting.hpp"

#include "tessin/core/file_lock.hpp"
#include "tessin/core/atomic_file.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

namespace Json = Core::Json;

namespace {

// The first of "<file>.bak", "<file>.bak.1", ... that does not exist, so an
// earlier copy is never overwritten.
std::string free_backup_name(const std::string& filename) {
  std::string candidate = filename + ".bak";
  for (int n = 1; g_file_test(candidate.c_str(), G_FILE_TEST_EXISTS); ++n) {
    candidate = filename + ".bak." + std::to_string(n);
  }
  return candidate;
}

bool is_missing_file(const Core::Error& error) {
  return error.domain == g_quark_to_string(G_FILE_ERROR) && error.code == G_FILE_ERROR_NOENT;
}

}  // namespace

UserSetting::UserSetting()
    : m_general(GeneralSetting::create()),
      m_editor(EditorSetting::create()),
      m_datagrid(DataGridSetting::create()),
      m_network(NetworkSetting::create()),
      m_logging(LoggingSetting::create()),
      m_datatool(DataToolSetting::create()),
      m_extension(ExtensionSetting::create()) {}

const Core::TypeInfo& UserSetting::static_type() {
  using Self = UserSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingUserSetting", &Core::Object::static_type(), {}, Core::factory_of<UserSetting>(),
      {property("general", &Self::get_general, &Self::set_general),
       property("editor", &Self::get_editor, &Self::set_editor),
       property("datagrid", &Self::get_datagrid, &Self::set_datagrid),
       property("network", &Self::get_network, &Self::set_network),
       property("logging", &Self::get_logging, &Self::set_logging),
       property("datatool", &Self::get_datatool, &Self::set_datatool),
       property("extension", &Self::get_extension, &Self::set_extension)});
  return info;
}

#define TOLVANE_GROUP_SETTER(name, Type)                     \
  void UserSetting::set_##name(Type value) {                 \
    TOLVANE_RETURN_IF_FAIL(value != nullptr, "value != NULL"); \
    assign(m_##name, std::move(value), #name);               \
  }

TOLVANE_GROUP_SETTER(general, GeneralSettingPtr)
TOLVANE_GROUP_SETTER(editor, EditorSettingPtr)
TOLVANE_GROUP_SETTER(datagrid, DataGridSettingPtr)
TOLVANE_GROUP_SETTER(network, NetworkSettingPtr)
TOLVANE_GROUP_SETTER(logging, LoggingSettingPtr)
TOLVANE_GROUP_SETTER(datatool, DataToolSettingPtr)
TOLVANE_GROUP_SETTER(extension, ExtensionSettingPtr)

#undef TOLVANE_GROUP_SETTER

UserSetting::ChangedSignal& UserSetting::signal_changed() {
  if (!m_changed) {
    m_changed = std::make_unique<ChangedSignal>();
  }
  return *m_changed;
}

std::string UserSetting::to_text() const {
  // The other groups are nested objects by the default rules; only the
  // general group writes a member of its own.
  Json::ObjectRef members =
      Json::serialize_object(*this, [this](const Core::Object&, const Core::PropertySpec& spec, Json::NodeRef& node) {
        if (spec.name != "general") {
          return false;
        }
        node = Json::node_of(m_general->to_json().get());
        return true;
      });
  return Json::to_text(Json::node_of(members.get()).get(), true, 2);
}

Core::Status UserSetting::read_file() {
  auto root = Json::parse_file(m_filename);
  if (!root) {
    return Core::fail(std::move(root.error()));
  }
  if (!JSON_NODE_HOLDS_OBJECT(root->get())) {
    return Core::fail("UserSetting", -2, Core::_("Load user setting file failure"));
  }
  auto loaded = create();
  Json::deserialize_object(*loaded, json_node_get_object(root->get()),
                           [&loaded](Core::Object&, const Core::PropertySpec& spec, JsonNode* node) {
                             if (spec.name != "general") {
                               return false;
                             }
                             if (JSON_NODE_HOLDS_OBJECT(node)) {
                               auto general = GeneralSetting::create();
                               general->from_json(json_node_get_object(node));
                               loaded->set_general(std::move(general));
                             }
                             return true;
                           });
  set_general(loaded->m_general);
  set_editor(loaded->m_editor);
  set_datagrid(loaded->m_datagrid);
  set_network(loaded->m_network);
  set_logging(loaded->m_logging);
  set_datatool(loaded->m_datatool);
  set_extension(loaded->m_extension);
  return {};
}

Core::Status UserSetting::load(const std::string& filename) {
  m_filename = filename;
  m_keep_before_save = false;
  // Only while nobody saves: a staging file then belongs to a killed save.
  if (auto lock = Core::FileLock::try_acquire(m_filename)) {
    Core::remove_stale_temporaries(m_filename);
  }
  Core::Status read = read_file();
  // A missing file is a first start; anything else there is the user's and
  // must survive the next save.
  m_keep_before_save = !read && !is_missing_file(read.error());
  return read;
}

Core::Status UserSetting::keep_unreadable_file() {
  gchar* contents = nullptr;
  gsize length = 0;
  GError* error = nullptr;
  if (g_file_get_contents(m_filename.c_str(), &contents, &length, &error) == FALSE) {
    Core::Error failure = Core::Error::take_gerror(error);
    if (is_missing_file(failure)) {
      return {};  // gone meanwhile: nothing left to keep
    }
    return Core::fail(std::move(failure));
  }
  Core::GCharPtr owned(contents);
  const std::string backup = free_backup_name(m_filename);
  if (Core::Status kept = Core::write_file_atomically(backup, std::string_view(contents, length), 0600); !kept) {
    return kept;
  }
  m_backup_filename = backup;
  return {};
}

Core::Status UserSetting::write_file() {
  if (m_keep_before_save) {
    if (Core::Status kept = keep_unreadable_file(); !kept) {
      return kept;
    }
    m_keep_before_save = false;
  }
  return Core::write_file_atomically(m_filename, to_text(), 0600);
}

Core::Status UserSetting::save() {
  if (m_filename.empty()) {
    return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_FAILED,
                      Core::_("No file to save the user settings to: load one first."));
  }
  return Core::with_file_lock(m_filename, [this] { return write_file(); });
}

Core::Status UserSetting::update(const std::function<Core::Status(UserSetting&)>& change) {
  if (m_filename.empty()) {
    return save();
  }
  auto read = [this]() -> Core::Status {
    Core::Status done = read_file();
    if (done) {
      m_keep_before_save = false;  // readable now: nothing to keep
    }
    return done;
  };
  return Core::update_file(
      m_filename, read, [this, &change]() -> Core::Status { return change ? change(*this) : Core::Status(); },
      [this] { return write_file(); });
}

}  // namespace Tolvane::Orvel::Contracts::Setting
