#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "tessin/contracts/server.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {

class ServerGroup;
using ServerGroupPtr = std::shared_ptr<ServerGroup>;
class Organization;
using OrganizationPtr = std::shared_ptr<Organization>;
class ServerSetting;
using ServerSettingPtr = std::shared_ptr<ServerSetting>;

// A named list of profiles.
class TESSIN_API ServerGroup final : public Core::Object {
  TOLVANE_OBJECT(ServerGroup)

  ServerGroup() = default;
  static ServerGroupPtr create() { return std::make_shared<ServerGroup>(); }
  static ServerGroupPtr with_name(std::string name);

  const std::string& get_name() const noexcept { return m_name; }
  void set_name(std::string name) { assign(m_name, std::move(name), "name"); }
  // The list itself: profiles added here belong to the group.
  std::vector<ServerPtr>& get_servers() noexcept { return m_servers; }
  const std::vector<ServerPtr>& get_servers() const noexcept { return m_servers; }
  // Replaces the whole list; notifies when it differs.
  void set_servers(std::vector<ServerPtr> servers) { assign(m_servers, std::move(servers), "servers"); }

 private:
  std::string m_name;
  std::vector<ServerPtr> m_servers;
};

// A named list of server groups.
class TESSIN_API Organization final : public Core::Object {
  TOLVANE_OBJECT(Organization)

  Organization() = default;
  static OrganizationPtr create() { return std::make_shared<Organization>(); }
  static OrganizationPtr with_name(std::string name);

  const std::string& get_name() const noexcept { return m_name; }
  void set_name(std::string name) { assign(m_name, std::move(name), "name"); }
  std::vector<ServerGroupPtr>& get_groups() noexcept { return m_groups; }
  const std::vector<ServerGroupPtr>& get_groups() const noexcept { return m_groups; }
  void set_groups(std::vector<ServerGroupPtr> groups) { assign(m_groups, std::move(groups), "groups"); }

 private:
  std::string m_name;
  std::vector<ServerGroupPtr> m_groups;
};

// The whole profile tree: organizations of groups, groups outside any
// organization, and profiles outside any group, stored in one JSON file. The
// file holds passwords: it is written readable by its owner only, and replaced
// atomically (`Core::write_file_atomically`), so a failed or killed save leaves the
// previous file as it was and no copy of it behind. Every write holds the
// file's `Core::FileLock`; `update` also re-reads the file under it, so
// processes that change the file at the same time lose nothing.
//
// Not thread-safe: one thread uses an object at a time.
class TESSIN_API ServerSetting final : public Core::Object {
  TOLVANE_OBJECT(ServerSetting)

  using ChangedSignal = sigc::signal<void()>;

  ServerSetting() = default;
  static ServerSettingPtr create() { return std::make_shared<ServerSetting>(); }

  std::vector<OrganizationPtr>& get_organizations() noexcept { return m_organizations; }
  const std::vector<OrganizationPtr>& get_organizations() const noexcept { return m_organizations; }
  void set_organizations(std::vector<OrganizationPtr> value) {
    assign(m_organizations, std::move(value), "organizations");
  }
  std::vector<ServerGroupPtr>& get_groups() noexcept { return m_groups; }
  const std::vector<ServerGroupPtr>& get_groups() const noexcept { return m_groups; }
  void set_groups(std::vector<ServerGroupPtr> value) { assign(m_groups, std::move(value), "groups"); }
  std::vector<ServerPtr>& get_servers() noexcept { return m_servers; }
  const std::vector<ServerPtr>& get_servers() const noexcept { return m_servers; }
  void set_servers(std::vector<ServerPtr> value) { assign(m_servers, std::move(value), "servers"); }

  // The file last given to `load`; `save` writes there.
  const std::string& get_filename() const noexcept { return m_filename; }

  // Reads the tree from `filename` and takes over its lists. The file name is
  // remembered even when reading fails; the lists then stay as they were.
  // Temporaries of killed saves are removed when no save is running.
  Core::Status load(const std::string& filename);
  // Writes the tree to the remembered file, under the file's lock.
  Core::Status save();
  // Read-modify-write under the file's lock: re-reads the remembered file (when
  // it exists), lets `change` edit the tree, and saves it. When the file cannot
  // be read or `change` fails, nothing is written and the error is returned.
  Core::Status update(const std::function<Core::Status(ServerSetting&)>& change);

  // Adds `server` to the place that the names pick (see the definition) and
  // emits `changed`.
  void append(const ServerPtr& server, const std::string& group_name, const std::string& org_name);
  // Removes the first occurrence of `server` (the same object) from the place
  // that the names pick; emits `changed` whether or not it was there.
  void remove(const ServerPtr& server, const std::string& group_name, const std::string& org_name);
  // Every profile of the tree: organizations' groups first, then top-level
  // groups, then top-level profiles. A profile held twice is listed twice.
  std::vector<ServerPtr> unite_servers() const;

  ChangedSignal& signal_changed();

  // The JSON text `save` writes.
  std::string to_text() const;

 private:
  std::vector<ServerPtr>& place_of(const std::string& group_name, const std::string& org_name);
  Core::Status read_file();
  Core::Status write_file();

  std::vector<OrganizationPtr> m_organizations;
  std::vector<ServerGroupPtr> m_groups;
  std::vector<ServerPtr> m_servers;
  std::string m_filename;
  std::unique_ptr<ChangedSignal> m_changed;
};

}  // namespace Tolvane::Providers::Contracts
