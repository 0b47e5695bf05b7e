#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tessin/core/enum_info.hpp"
#include "tessin/core/property_value.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

class TypeInfo;

enum class PropertyFlags : std::uint8_t {
  None = 0,
  Readable = 1,
  Writable = 2,
  Construct = 4,
  ConstructOnly = 8,
  ReadWrite = Readable | Writable,
};
TOLVANE_FLAGS_OPERATORS(PropertyFlags)

// The class or interface an object property holds, looked up when first
// needed rather than when the property is declared: two classes whose
// properties name each other's class could not be described otherwise (each
// description would wait for the other). Reads like a `const TypeInfo*`.
class TESSIN_API TypeRef {
 public:
  using Resolver = const TypeInfo& (*)();

  constexpr TypeRef() noexcept = default;
  constexpr TypeRef(std::nullptr_t) noexcept {}
  constexpr TypeRef(const TypeInfo* type) noexcept : m_type(type) {}
  constexpr explicit TypeRef(Resolver resolve) noexcept : m_resolve(resolve) {}

  // Null when no type is named.
  const TypeInfo* get() const { return m_type != nullptr ? m_type : m_resolve != nullptr ? &m_resolve() : nullptr; }
  operator const TypeInfo*() const { return get(); }
  const TypeInfo* operator->() const { return get(); }
  const TypeInfo& operator*() const { return *get(); }

 private:
  const TypeInfo* m_type = nullptr;
  Resolver m_resolve = nullptr;
};

// One declared property of a class.
struct TESSIN_API PropertySpec {
  using Getter = std::function<PropertyValue(const Object&)>;
  using Setter = std::function<void(Object&, const PropertyValue&)>;

  std::string name;  // hyphenated, as registered ("ssh-key-private-file")
  PropertyKind kind = PropertyKind::Other;
  PropertyFlags flags = PropertyFlags::Readable;
  PropertyValue default_value;
  const EnumInfo* enum_info = nullptr;      // Enum and Flags kinds
  TypeRef value_type;                       // Object kind
  const TypeInfo* owner = nullptr;          // the class that declares it
  Getter getter;
  Setter setter;

  bool readable() const noexcept { return has_flag(flags, PropertyFlags::Readable); }
  bool writable() const noexcept { return has_flag(flags, PropertyFlags::Writable); }
  bool is_construct() const noexcept {
    return has_flag(flags, PropertyFlags::Construct) || has_flag(flags, PropertyFlags::ConstructOnly);
  }
  bool is_construct_only() const noexcept { return has_flag(flags, PropertyFlags::ConstructOnly); }

  // Builder-style adjustments used in type definitions.
  PropertySpec&& with_default(PropertyValue value) && {
    default_value = std::move(value);
    return std::move(*this);
  }
  PropertySpec&& as_kind(PropertyKind declared) && {
    kind = declared;
    return std::move(*this);
  }
  PropertySpec&& add_flags(PropertyFlags extra) && {
    flags |= extra;
    return std::move(*this);
  }
};

// "ssh_key_private_file" and "ssh-key-private-file" name the same property.
TESSIN_API bool same_property_name(std::string_view a, std::string_view b) noexcept;

struct ConstructArg {
  std::string name;
  PropertyValue value;
};

// The runtime description of a class or interface: registered name, parent,
// interfaces, default factory and properties (base class's first).
class TESSIN_API TypeInfo {
 public:
  using Factory = ObjectPtr (*)();

  // A class. `parent` is null only for the root object type.
  TypeInfo(const char* name, const TypeInfo* parent, std::initializer_list<const TypeInfo*> interfaces,
           Factory factory, std::vector<PropertySpec> properties, bool is_abstract = false);
  // An interface, with the interfaces it requires.
  TypeInfo(const char* name, std::initializer_list<const TypeInfo*> prerequisites);

  TypeInfo(const TypeInfo&) = delete;
  TypeInfo& operator=(const TypeInfo&) = delete;

  const std::string& name() const noexcept { return m_name; }
  const TypeInfo* parent() const noexcept { return m_parent; }
  bool is_interface() const noexcept { return m_is_interface; }
  bool is_object() const noexcept { return !m_is_interface; }
  bool is_abstract() const noexcept { return m_is_interface || m_is_abstract || m_factory == nullptr; }
  std::span<const TypeInfo* const> interfaces() const noexcept { return m_interfaces; }

  // True for the type itself, its ancestors and every interface they implement.
  bool is_a(const TypeInfo& other) const noexcept;

  std::span<const PropertySpec* const> properties() const noexcept { return m_properties; }
  const PropertySpec* find_property(std::string_view name) const noexcept;

  // A new instance with the default construction; null for abstract types.
  ObjectPtr create() const;
  // A new instance with construct-time property values applied in order.
  ObjectPtr create(std::span<const ConstructArg> arguments) const;

  // Looks up a registered type by name. A type is registered the first time its
  // description is requested.
  static const TypeInfo* find(std::string_view name);

  bool operator==(const TypeInfo& other) const noexcept { return this == &other; }

 private:
  void register_self();

  std::string m_name;
  const TypeInfo* m_parent = nullptr;
  bool m_is_interface = false;
  bool m_is_abstract = false;
  Factory m_factory = nullptr;
  std::vector<const TypeInfo*> m_interfaces;
  std::vector<PropertySpec> m_own_properties;
  std::vector<const PropertySpec*> m_properties;
};

}  // namespace Tolvane::Core
