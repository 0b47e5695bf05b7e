#include "tessin/core/object.hpp"

#include <map>

#include "tessin/core/error.hpp"
#include "tessin/core/object_arena.hpp"

namespace Tolvane::Core {

struct Object::Extras {
  NotifySignal notify;
  std::map<std::string, std::any, std::less<>> data;
};

Object::Object() noexcept = default;
Object::~Object() = default;

ObjectPtr Object::self_reference() const {
  if (auto held = weak_from_this().lock()) {
    return std::const_pointer_cast<Object>(held);
  }
  if (auto owner = ObjectArena::owner_of(*this)) {
    return owner;
  }
  throw std::bad_weak_ptr();
}

const TypeInfo& Object::static_type() {
  static const TypeInfo info("GObject", nullptr, {}, nullptr, {}, true);
  return info;
}

std::optional<PropertyValue> Object::get_property(std::string_view name) const {
  const PropertySpec* spec = type().find_property(name);
  if (spec == nullptr || !spec->readable() || !spec->getter) {
    return std::nullopt;
  }
  return spec->getter(*this);
}

namespace {

bool value_fits(const PropertySpec& spec, const PropertyValue& value) {
  switch (spec.kind) {
    case PropertyKind::Boolean:
    case PropertyKind::Int8:
    case PropertyKind::UInt8:
    case PropertyKind::Int16:
    case PropertyKind::UInt16:
    case PropertyKind::Int32:
    case PropertyKind::UInt32:
    case PropertyKind::Int64:
    case PropertyKind::UInt64:
    case PropertyKind::Float:
    case PropertyKind::Double:
    case PropertyKind::Enum:
    case PropertyKind::Flags:
      return std::holds_alternative<bool>(value) || std::holds_alternative<std::int64_t>(value) ||
             std::holds_alternative<std::uint64_t>(value) || std::holds_alternative<double>(value);
    case PropertyKind::String:
      return std::holds_alternative<std::string>(value) || std::holds_alternative<std::monostate>(value);
    case PropertyKind::DateTime:
      return std::holds_alternative<DateTime>(value) || std::holds_alternative<std::monostate>(value);
    case PropertyKind::StringList:
      return std::holds_alternative<std::vector<std::string>>(value);
    case PropertyKind::Object: {
      if (std::holds_alternative<std::monostate>(value)) {
        return true;
      }
      const auto* object = std::get_if<ObjectPtr>(&value);
      return object != nullptr && (*object == nullptr || spec.value_type == nullptr || (*object)->is_a(*spec.value_type));
    }
    case PropertyKind::Other:
      return std::holds_alternative<std::any>(value);
  }
  return false;
}

}  // namespace

bool Object::set_property(std::string_view name, const PropertyValue& value) {
  const PropertySpec* spec = type().find_property(name);
  TOLVANE_RETURN_VAL_IF_FAIL(spec != nullptr, "property != NULL", false);
  TOLVANE_RETURN_VAL_IF_FAIL(spec->writable() && spec->setter, "property is writable", false);
  TOLVANE_RETURN_VAL_IF_FAIL(value_fits(*spec, value), "value type fits the property", false);
  spec->setter(*this, value);
  return true;
}

Object::NotifySignal& Object::signal_notify() {
  if (!m_extras) {
    m_extras = std::make_unique<Extras>();
  }
  return m_extras->notify;
}

void Object::notify(std::string_view property) {
  if (m_extras && !m_extras->notify.empty()) {
    m_extras->notify.emit(property);
  }
}

void Object::set_data(std::string_view key, std::any value) {
  if (!m_extras) {
    m_extras = std::make_unique<Extras>();
  }
  m_extras->data.insert_or_assign(std::string(key), std::move(value));
}

const std::any* Object::get_data(std::string_view key) const {
  if (!m_extras) {
    return nullptr;
  }
  auto it = m_extras->data.find(key);
  return it != m_extras->data.end() ? &it->second : nullptr;
}

bool Object::remove_data(std::string_view key) {
  if (!m_extras) {
    return false;
  }
  auto it = m_extras->data.find(key);
  if (it == m_extras->data.end()) {
    return false;
  }
  m_extras->data.erase(it);
  return true;
}

}  // namespace Tolvane::Core
