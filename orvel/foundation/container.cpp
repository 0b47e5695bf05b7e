#include "orvel/foundation/container.hpp"

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Foundation {

namespace {

// Type descriptions are always a class or an interface; the check keeps the
// contract's wording should other kinds of description appear.
bool acceptable_key(const Core::TypeInfo& type) { return type.is_interface() || type.is_object(); }

}  // namespace

const Core::TypeInfo& Container::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelFoundationContainer", &Core::Object::static_type(),
                                   {&Contracts::Container::IContainer::static_type()}, Core::factory_of<Container>(),
                                   {});
  return info;
}

Container::Container() = default;
Container::~Container() = default;

bool Container::has(const Core::TypeInfo& type) const {
  TOLVANE_RETURN_VAL_IF_FAIL(acceptable_key(type), "type.is_interface () || type.is_object ()", false);
  std::lock_guard lock(m_mutex);
  return m_instances.contains(&type) || m_factories.contains(&type) || m_types.contains(&type);
}

void Container::register_instance(const Core::TypeInfo& key_type, Core::ObjectPtr instance) {
  TOLVANE_RETURN_IF_FAIL(acceptable_key(key_type), "key_type.is_interface () || key_type.is_object ()");
  TOLVANE_RETURN_IF_FAIL(instance != nullptr, "instance != NULL");
  TOLVANE_RETURN_IF_FAIL(instance->is_a(key_type), "instance.get_type ().is_a (key_type)");
  std::lock_guard lock(m_mutex);
  m_instances.insert_or_assign(&key_type, std::move(instance));
}

void Container::register_type(const Core::TypeInfo& key_type, const Core::TypeInfo& value_type) {
  TOLVANE_RETURN_IF_FAIL(acceptable_key(key_type), "key_type.is_interface () || key_type.is_object ()");
  TOLVANE_RETURN_IF_FAIL(value_type.is_object(), "value_type.is_object ()");
  TOLVANE_RETURN_IF_FAIL(value_type.is_a(key_type), "value_type.is_a (key_type)");
  std::lock_guard lock(m_mutex);
  m_types.insert_or_assign(&key_type, &value_type);
}

void Container::register_factory(const Core::TypeInfo& key_type, Contracts::Container::Factory factory) {
  TOLVANE_RETURN_IF_FAIL(acceptable_key(key_type), "key_type.is_interface () || key_type.is_object ()");
  TOLVANE_RETURN_IF_FAIL(static_cast<bool>(factory), "factory != NULL");
  std::lock_guard lock(m_mutex);
  m_factories.insert_or_assign(&key_type, std::move(factory));
}

Core::ObjectPtr Container::resolve(const Core::TypeInfo& type) {
  TOLVANE_RETURN_VAL_IF_FAIL(acceptable_key(type), "type.is_interface () || type.is_object ()", nullptr);
  std::lock_guard lock(m_mutex);
  if (auto found = m_instances.find(&type); found != m_instances.end()) {
    return found->second;
  }
  if (!m_resolving.insert(&type).second) {
    g_critical("Container.resolve: dependency cycle while resolving %s", type.name().c_str());
    return nullptr;
  }
  // Leaves the cycle guard however the build ends, a throwing factory included.
  struct Guard {
    std::unordered_set<const Core::TypeInfo*>& resolving;
    const Core::TypeInfo* key;
    ~Guard() { resolving.erase(key); }
  } guard{m_resolving, &type};
  return build(type);
}

Core::ObjectPtr Container::build(const Core::TypeInfo& type) {
  if (auto factory = m_factories.find(&type); factory != m_factories.end()) {
    // A copy: the factory may register a new factory for its own key.
    Contracts::Container::Factory make = factory->second;
    Core::ObjectPtr made = make(*this);
    return m_instances.insert_or_assign(&type, std::move(made)).first->second;
  }
  const Core::TypeInfo* implementation = &type;
  if (auto registered = m_types.find(&type); registered != m_types.end()) {
    implementation = registered->second;
  }
  if (!implementation->is_object()) {
    return nullptr;
  }
  std::vector<Core::ConstructArg> arguments = injections(*implementation);
  Core::ObjectPtr made = implementation->create(arguments);
  return m_instances.insert_or_assign(&type, std::move(made)).first->second;
}

std::vector<Core::ConstructArg> Container::injections(const Core::TypeInfo& implementation) {
  std::vector<Core::ConstructArg> arguments;
  for (const Core::PropertySpec* spec : implementation.properties()) {
    if (!spec->is_construct() || !spec->setter || spec->value_type == nullptr) {
      continue;
    }
    // Exactly the declared type, no subtype matching. A key registered in more
    // than one map resolves to one cached object, so one argument is enough.
    const Core::TypeInfo* wanted = spec->value_type;
    if (m_instances.contains(wanted) || m_factories.contains(wanted) || m_types.contains(wanted)) {
      arguments.push_back(Core::ConstructArg{spec->name, resolve(*wanted)});
    }
  }
  return arguments;
}

}  // namespace Tolvane::Orvel::Foundation
