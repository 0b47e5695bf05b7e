#include "tessin/contracts/server_setting.hpp"

#include <algorithm>

#include "tessin/core/file_lock.hpp"
#include "tessin/core/atomic_file.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

namespace Json = Core::Json;

namespace {

// Lists of children are written by the classes themselves: one JSON object per
// item, in list order.
template <class T, class Write>
Json::NodeRef array_of(const std::vector<std::shared_ptr<T>>& items, Write&& write) {
  JsonArray* array = json_array_sized_new(static_cast<guint>(items.size()));
  for (const auto& item : items) {
    if (item) {
      json_array_add_object_element(array, write(*item).release());
    }
  }
  Json::NodeRef node = Json::node_of(array);
  json_array_unref(array);
  return node;
}

// A new list with one item per element, read into a new object of class T.
// A member that is not an array keeps the current list; elements that are not
// objects are skipped (they describe nothing that could be listed).
template <class T, class Read>
std::optional<std::vector<std::shared_ptr<T>>> list_of(JsonNode* node, Read&& read) {
  if (node == nullptr || !JSON_NODE_HOLDS_ARRAY(node)) {
    return std::nullopt;
  }
  JsonArray* array = json_node_get_array(node);
  const guint length = json_array_get_length(array);
  std::vector<std::shared_ptr<T>> items;
  items.reserve(length);
  for (guint i = 0; i < length; ++i) {
    JsonNode* element = json_array_get_element(array, i);
    if (JSON_NODE_HOLDS_OBJECT(element)) {
      auto item = T::create();
      read(*item, json_node_get_object(element));
      items.push_back(std::move(item));
    }
  }
  return items;
}

Json::ObjectRef server_to_json(const Server& server) { return Json::serialize_object(server); }
void server_from_json(Server& server, JsonObject* json) { Json::deserialize_object(server, json); }

Json::ObjectRef group_to_json(const ServerGroup& group) {
  return Json::serialize_object(group, [&group](const Core::Object&, const Core::PropertySpec& spec, Json::NodeRef& node) {
    if (spec.name != "servers") {
      return false;
    }
    node = array_of(group.get_servers(), server_to_json);
    return true;
  });
}

void group_from_json(ServerGroup& group, JsonObject* json) {
  Json::deserialize_object(group, json, [&group](Core::Object&, const Core::PropertySpec& spec, JsonNode* node) {
    if (spec.name != "servers") {
      return false;
    }
    if (auto servers = list_of<Server>(node, server_from_json)) {
      group.set_servers(std::move(*servers));
    }
    return true;
  });
}

Json::ObjectRef organization_to_json(const Organization& organization) {
  return Json::serialize_object(organization,
                                [&organization](const Core::Object&, const Core::PropertySpec& spec, Json::NodeRef& node) {
                                  if (spec.name != "groups") {
                                    return false;
                                  }
                                  node = array_of(organization.get_groups(), group_to_json);
                                  return true;
                                });
}

void organization_from_json(Organization& organization, JsonObject* json) {
  Json::deserialize_object(organization, json,
                           [&organization](Core::Object&, const Core::PropertySpec& spec, JsonNode* node) {
                             if (spec.name != "groups") {
                               return false;
                             }
                             if (auto groups = list_of<ServerGroup>(node, group_from_json)) {
                               organization.set_groups(std::move(*groups));
                             }
                             return true;
                           });
}

Json::ObjectRef setting_to_json(const ServerSetting& setting) {
  return Json::serialize_object(setting, [&setting](const Core::Object&, const Core::PropertySpec& spec,
                                                    Json::NodeRef& node) {
    if (spec.name == "organizations") {
      node = array_of(setting.get_organizations(), organization_to_json);
    } else if (spec.name == "groups") {
      node = array_of(setting.get_groups(), group_to_json);
    } else if (spec.name == "servers") {
      node = array_of(setting.get_servers(), server_to_json);
    } else {
      return false;
    }
    return true;
  });
}

void setting_from_json(ServerSetting& setting, JsonObject* json) {
  Json::deserialize_object(setting, json, [&setting](Core::Object&, const Core::PropertySpec& spec, JsonNode* node) {
    if (spec.name == "organizations") {
      if (auto items = list_of<Organization>(node, organization_from_json)) {
        setting.set_organizations(std::move(*items));
      }
    } else if (spec.name == "groups") {
      if (auto items = list_of<ServerGroup>(node, group_from_json)) {
        setting.set_groups(std::move(*items));
      }
    } else if (spec.name == "servers") {
      if (auto items = list_of<Server>(node, server_from_json)) {
        setting.set_servers(std::move(*items));
      }
    } else {
      return false;
    }
    return true;
  });
}

template <class T>
T* find_named(const std::vector<std::shared_ptr<T>>& items, const std::string& name) {
  auto found = std::find_if(items.begin(), items.end(), [&name](const auto& item) {
    return item && item->get_name() == name;
  });
  return found != items.end() ? found->get() : nullptr;
}

}  // namespace

const Core::TypeInfo& ServerGroup::static_type() {
  using Self = ServerGroup;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsServerGroup", &Core::Object::static_type(), {}, Core::factory_of<ServerGroup>(),
      {Core::property("name", &Self::get_name, &Self::set_name),
       Core::property("servers", static_cast<const std::vector<ServerPtr>& (Self::*)() const>(&Self::get_servers),
                      &Self::set_servers)});
  return info;
}

ServerGroupPtr ServerGroup::with_name(std::string name) {
  auto group = create();
  group->m_name = std::move(name);
  return group;
}

const Core::TypeInfo& Organization::static_type() {
  using Self = Organization;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsOrganization", &Core::Object::static_type(), {}, Core::factory_of<Organization>(),
      {Core::property("name", &Self::get_name, &Self::set_name),
       Core::property("groups",
                      static_cast<const std::vector<ServerGroupPtr>& (Self::*)() const>(&Self::get_groups),
                      &Self::set_groups)});
  return info;
}

OrganizationPtr Organization::with_name(std::string name) {
  auto organization = create();
  organization->m_name = std::move(name);
  return organization;
}

const Core::TypeInfo& ServerSetting::static_type() {
  using Self = ServerSetting;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsServerSetting", &Core::Object::static_type(), {}, Core::factory_of<ServerSetting>(),
      {Core::property("organizations",
                      static_cast<const std::vector<OrganizationPtr>& (Self::*)() const>(&Self::get_organizations),
                      &Self::set_organizations),
       Core::property("groups", static_cast<const std::vector<ServerGroupPtr>& (Self::*)() const>(&Self::get_groups),
                      &Self::set_groups),
       Core::property("servers", static_cast<const std::vector<ServerPtr>& (Self::*)() const>(&Self::get_servers),
                      &Self::set_servers)});
  return info;
}

ServerSetting::ChangedSignal& ServerSetting::signal_changed() {
  if (!m_changed) {
    m_changed = std::make_unique<ChangedSignal>();
  }
  return *m_changed;
}

std::string ServerSetting::to_text() const {
  Json::ObjectRef members = setting_to_json(*this);
  return Json::to_text(Json::node_of(members.get()).get(), true, 2);
}

Core::Status ServerSetting::read_file() {
  auto root = Json::parse_file(m_filename);
  if (!root) {
    return Core::fail(std::move(root.error()));
  }
  if (!JSON_NODE_HOLDS_OBJECT(root->get())) {
    return Core::fail("ServerSetting", -2, Core::_("Failed to load database setting file."));
  }
  auto loaded = create();
  setting_from_json(*loaded, json_node_get_object(root->get()));
  set_groups(std::move(loaded->m_groups));
  set_servers(std::move(loaded->m_servers));
  set_organizations(std::move(loaded->m_organizations));
  return {};
}

Core::Status ServerSetting::write_file() {
  if (m_filename.empty()) {
    // Never let the writer guess a place: an empty name would put its
    // staging file into the current folder.
    return Core::fail(g_quark_to_string(G_FILE_ERROR), G_FILE_ERROR_NOENT,
                      Core::_("No file name to save the database setting file to: load one first."));
  }
  // Mode 0600: the file holds passwords.
  return Core::write_file_atomically(m_filename, to_text(), 0600);
}

Core::Status ServerSetting::load(const std::string& filename) {
  m_filename = filename;
  // Only while nobody saves: a staging file then belongs to a killed save.
  if (auto lock = Core::FileLock::try_acquire(m_filename)) {
    Core::remove_stale_temporaries(m_filename);
  }
  return read_file();
}

Core::Status ServerSetting::save() {
  if (m_filename.empty()) {
    return write_file();
  }
  return Core::with_file_lock(m_filename, [this] { return write_file(); });
}

Core::Status ServerSetting::update(const std::function<Core::Status(ServerSetting&)>& change) {
  if (m_filename.empty()) {
    return write_file();
  }
  return Core::update_file(
      m_filename, [this] { return read_file(); },
      [this, &change]() -> Core::Status { return change ? change(*this) : Core::Status(); },
      [this] { return write_file(); });
}

std::vector<ServerPtr>& ServerSetting::place_of(const std::string& group_name, const std::string& org_name) {
  if (!org_name.empty()) {
    if (const Organization* organization = find_named(m_organizations, org_name)) {
      if (group_name.empty()) {
        return m_servers;
      }
      if (ServerGroup* group = find_named(organization->get_groups(), group_name)) {
        return group->get_servers();
      }
      return m_servers;
    }
  }
  if (group_name.empty()) {
    return m_servers;
  }
  if (ServerGroup* group = find_named(m_groups, group_name)) {
    return group->get_servers();
  }
  return m_servers;
}

void ServerSetting::append(const ServerPtr& server, const std::string& group_name, const std::string& org_name) {
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "server != NULL");
  place_of(group_name, org_name).push_back(server);
  signal_changed().emit();
}

void ServerSetting::remove(const ServerPtr& server, const std::string& group_name, const std::string& org_name) {
  TOLVANE_RETURN_IF_FAIL(server != nullptr, "server != NULL");
  std::vector<ServerPtr>& place = place_of(group_name, org_name);
  auto found = std::find(place.begin(), place.end(), server);
  if (found != place.end()) {
    place.erase(found);
  }
  signal_changed().emit();
}

std::vector<ServerPtr> ServerSetting::unite_servers() const {
  std::vector<ServerPtr> all;
  auto add_group = [&all](const ServerGroupPtr& group) {
    if (group) {
      all.insert(all.end(), group->get_servers().begin(), group->get_servers().end());
    }
  };
  for (const OrganizationPtr& organization : m_organizations) {
    if (organization) {
      std::for_each(organization->get_groups().begin(), organization->get_groups().end(), add_group);
    }
  }
  std::for_each(m_groups.begin(), m_groups.end(), add_group);
  all.insert(all.end(), m_servers.begin(), m_servers.end());
  return all;
}

}  // namespace Tolvane::Providers::Contracts
