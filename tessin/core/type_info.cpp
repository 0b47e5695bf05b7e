#include "tessin/core/type_info.hpp"

#include <mutex>
#include <unordered_map>

#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Core {

namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<std::string, const TypeInfo*> types;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

bool same_property_name(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] == '_' ? '-' : a[i];
    char y = b[i] == '_' ? '-' : b[i];
    if (x != y) {
      return false;
    }
  }
  return true;
}

TypeInfo::TypeInfo(const char* name, const TypeInfo* parent, std::initializer_list<const TypeInfo*> interfaces,
                   Factory factory, std::vector<PropertySpec> properties, bool is_abstract)
    : m_name(name),
      m_parent(parent),
      m_is_abstract(is_abstract),
      m_factory(factory),
      m_interfaces(interfaces),
      m_own_properties(std::move(properties)) {
  if (m_parent != nullptr) {
    m_properties.assign(m_parent->m_properties.begin(), m_parent->m_properties.end());
  }
  for (PropertySpec& spec : m_own_properties) {
    spec.owner = this;
    m_properties.push_back(&spec);
  }
  register_self();
}

TypeInfo::TypeInfo(const char* name, std::initializer_list<const TypeInfo*> prerequisites)
    : m_name(name), m_is_interface(true), m_interfaces(prerequisites) {
  register_self();
}

void TypeInfo::register_self() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.types.emplace(m_name, this);
}

const TypeInfo* TypeInfo::find(std::string_view name) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.types.find(std::string(name));
  return it != r.types.end() ? it->second : nullptr;
}

bool TypeInfo::is_a(const TypeInfo& other) const noexcept {
  for (const TypeInfo* t = this; t != nullptr; t = t->m_parent) {
    if (t == &other) {
      return true;
    }
    for (const TypeInfo* iface : t->m_interfaces) {
      if (iface->is_a(other)) {
        return true;
      }
    }
  }
  return false;
}

const PropertySpec* TypeInfo::find_property(std::string_view name) const noexcept {
  for (const PropertySpec* spec : m_properties) {
    if (same_property_name(spec->name, name)) {
      return spec;
    }
  }
  return nullptr;
}

ObjectPtr TypeInfo::create() const { return is_abstract() ? nullptr : m_factory(); }

ObjectPtr TypeInfo::create(std::span<const ConstructArg> arguments) const {
  ObjectPtr object = create();
  if (!object) {
    return nullptr;
  }
  for (const ConstructArg& argument : arguments) {
    const PropertySpec* spec = find_property(argument.name);
    TOLVANE_RETURN_VAL_IF_FAIL(spec != nullptr && spec->setter, "construct property is known", object);
    spec->setter(*object, argument.value);
  }
  return object;
}

}  // namespace Tolvane::Core
