#pragma once

#include <functional>
#include <memory>
#include <string>

#include <sigc++/signal.h>

#include "orvel/contracts/setting/datagrid_setting.hpp"
#include "orvel/contracts/setting/datatool_setting.hpp"
#include "orvel/contracts/setting/editor_setting.hpp"
#include "orvel/contracts/setting/extension_setting.hpp"
#include "orvel/contracts/setting/general_setting.hpp"
#include "orvel/contracts/setting/logging_setting.hpp"
#include "orvel/contracts/setting/network_setting.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class UserSetting;
using UserSettingPtr = std::shared_ptr<UserSetting>;

// The user's preferences: seven groups, stored as one JSON object of seven
// objects ("general", "editor", "datagrid", "network", "logging", "datatool",
// "extension"), each holding the group's settings that differ from their
// declared defaults (texts always, "broadcasting" always), pretty-printed with
// an indent of 2.
//
// The file is the user's: it holds the proxy password, so it is written
// readable by its owner only and replaced atomically; every write holds the
// file's `Core::FileLock`, and `update` re-reads the file under it. A file that
// exists but cannot be read as settings is never silently replaced: the first
// save after such a `load` copies it to "<file>.bak" (or "<file>.bak.N" when
// that exists) before writing, and refuses to write when the copy fails.
//
// `changed` is declared for the host, which emits it after it changed
// settings; the libraries never emit it. Not thread-safe: one thread uses an
// object at a time.
class ORVEL_API UserSetting final : public Core::Object {
  TOLVANE_OBJECT(UserSetting)

  using ChangedSignal = sigc::signal<void()>;

  UserSetting();
  static UserSettingPtr create() { return std::make_shared<UserSetting>(); }

  // Each setter replaces the whole group and notifies when it is another
  // object; a null group is refused ("value != NULL").
  const GeneralSettingPtr& get_general() const noexcept { return m_general; }
  void set_general(GeneralSettingPtr value);
  const EditorSettingPtr& get_editor() const noexcept { return m_editor; }
  void set_editor(EditorSettingPtr value);
  const DataGridSettingPtr& get_datagrid() const noexcept { return m_datagrid; }
  void set_datagrid(DataGridSettingPtr value);
  const NetworkSettingPtr& get_network() const noexcept { return m_network; }
  void set_network(NetworkSettingPtr value);
  const LoggingSettingPtr& get_logging() const noexcept { return m_logging; }
  void set_logging(LoggingSettingPtr value);
  const DataToolSettingPtr& get_datatool() const noexcept { return m_datatool; }
  void set_datatool(DataToolSettingPtr value);
  const ExtensionSettingPtr& get_extension() const noexcept { return m_extension; }
  void set_extension(ExtensionSettingPtr value);

  // The file given to the last `load`; "" before any.
  const std::string& get_filename() const noexcept { return m_filename; }
  // Where the last `save` kept an unreadable file; "" when it kept none.
  const std::string& get_backup_filename() const noexcept { return m_backup_filename; }

  // Reads `filename` and takes over its groups. The name is remembered also
  // when reading fails; the groups then stay as they were. A file that is not
  // an object of groups fails with "UserSetting" -2 "Load user setting file
  // failure"; parse and read errors come as the parser reports them.
  Core::Status load(const std::string& filename);
  // Writes the groups to the remembered file (keeping an unreadable one first).
  // Without a file name: a GIO error of code 0.
  Core::Status save();
  // Read-modify-write under the file's lock: re-reads the file when it exists
  // (the groups then hold what it says), lets `change` edit them and saves.
  // When the file cannot be read or `change` fails, nothing is written.
  Core::Status update(const std::function<Core::Status(UserSetting&)>& change);

  ChangedSignal& signal_changed();

  // The JSON text `save` writes.
  std::string to_text() const;

 private:
  Core::Status read_file();
  Core::Status write_file();
  Core::Status keep_unreadable_file();

  GeneralSettingPtr m_general;
  EditorSettingPtr m_editor;
  DataGridSettingPtr m_datagrid;
  NetworkSettingPtr m_network;
  LoggingSettingPtr m_logging;
  DataToolSettingPtr m_datatool;
  ExtensionSettingPtr m_extension;
  std::string m_filename;
  // The remembered file exists but did not read as settings: copy it aside
  // before it is first replaced.
  bool m_keep_before_save = false;
  std::string m_backup_filename;
  std::unique_ptr<ChangedSignal> m_changed;
};

}  // namespace Tolvane::Orvel::Contracts::Setting
