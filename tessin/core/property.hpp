#pragma once

// Declaring properties from typed getters and setters. A class lists its
// properties once, in id order:
//
//   Core::property("ssh-port", &Server::get_ssh_port, &Server::set_ssh_port)
//       .as_kind(Core::PropertyKind::UInt32).with_default(std::uint64_t{22})
//
// The kind and the default are deduced from the getter's type unless given.

#include <concepts>
#include <optional>
#include <type_traits>

#include "tessin/core/object.hpp"
#include "tessin/core/type_info.hpp"

namespace Tolvane::Core {

namespace detail {

template <class T>
struct is_shared_ptr : std::false_type {};
template <class T>
struct is_shared_ptr<std::shared_ptr<T>> : std::true_type {
  using element = T;
};

template <class T>
concept HasStaticType = requires {
  { T::static_type() } -> std::same_as<const TypeInfo&>;
};

// A shared pointer to a class or interface of the system (conjunction in a
// concept short-circuits, so `element` is only looked at for shared pointers).
template <class T>
concept SharedTypedPtr = is_shared_ptr<T>::value && HasStaticType<typename is_shared_ptr<T>::element>;

template <class T>
constexpr PropertyKind kind_of() {
  if constexpr (std::is_same_v<T, bool>) {
    return PropertyKind::Boolean;
  } else if constexpr (std::is_same_v<T, std::int8_t>) {
    return PropertyKind::Int8;
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    return PropertyKind::UInt8;
  } else if constexpr (std::is_same_v<T, std::int16_t>) {
    return PropertyKind::Int16;
  } else if constexpr (std::is_same_v<T, std::uint16_t>) {
    return PropertyKind::UInt16;
  } else if constexpr (std::is_same_v<T, std::int32_t>) {
    return PropertyKind::Int32;
  } else if constexpr (std::is_same_v<T, std::uint32_t>) {
    return PropertyKind::UInt32;
  } else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, long long>) {
    return PropertyKind::Int64;
  } else if constexpr (std::is_same_v<T, std::uint64_t> || std::is_same_v<T, unsigned long long>) {
    return PropertyKind::UInt64;
  } else if constexpr (std::is_same_v<T, float>) {
    return PropertyKind::Float;
  } else if constexpr (std::is_same_v<T, double>) {
    return PropertyKind::Double;
  } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::optional<std::string>>) {
    return PropertyKind::String;
  } else if constexpr (std::is_enum_v<T>) {
    return PropertyKind::Enum;  // Flags are told apart by their description at runtime.
  } else if constexpr (std::is_same_v<T, DateTime>) {
    return PropertyKind::DateTime;
  } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
    return PropertyKind::StringList;
  } else if constexpr (SharedTypedPtr<T>) {
    return PropertyKind::Object;
  } else {
    return PropertyKind::Other;
  }
}

}  // namespace detail

template <class T>
PropertyValue to_property_value(const T& value) {
  constexpr PropertyKind kind = detail::kind_of<T>();
  if constexpr (kind == PropertyKind::Boolean) {
    return value;
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return static_cast<std::int64_t>(value);
  } else if constexpr (std::is_integral_v<T>) {
    return static_cast<std::uint64_t>(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<double>(value);
  } else if constexpr (std::is_same_v<T, std::optional<std::string>>) {
    return value ? PropertyValue(*value) : PropertyValue();
  } else if constexpr (std::is_enum_v<T>) {
    if constexpr (DescribedEnum<T>) {
      if (enum_info<T>().is_flags()) {
        return static_cast<std::uint64_t>(value);
      }
    }
    return static_cast<std::int64_t>(value);
  } else if constexpr (kind == PropertyKind::DateTime) {
    return value ? PropertyValue(value) : PropertyValue();
  } else if constexpr (kind == PropertyKind::String || kind == PropertyKind::StringList) {
    return value;
  } else if constexpr (kind == PropertyKind::Object) {
    return ObjectPtr(std::dynamic_pointer_cast<Object>(value));
  } else {
    return std::any(value);
  }
}

// Converts generically: numbers between each other (cut to the target width, as
// a C cast does), objects by dynamic cast, others by exact type.
template <class T>
T from_property_value(const PropertyValue& value) {
  constexpr PropertyKind kind = detail::kind_of<T>();
  if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
    using Target = std::conditional_t<std::is_enum_v<T>, std::int64_t, T>;
    Target number{};
    if (const auto* b = std::get_if<bool>(&value)) {
      number = static_cast<Target>(*b);
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
      number = static_cast<Target>(*i);
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
      number = static_cast<Target>(*u);
    } else if (const auto* d = std::get_if<double>(&value)) {
      number = static_cast<Target>(*d);
    }
    return static_cast<T>(number);
  } else if constexpr (std::is_same_v<T, std::optional<std::string>>) {
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr ? std::optional<std::string>(*text) : std::nullopt;
  } else if constexpr (kind == PropertyKind::String || kind == PropertyKind::StringList ||
                       kind == PropertyKind::DateTime) {
    const auto* held = std::get_if<T>(&value);
    return held != nullptr ? *held : T{};
  } else if constexpr (kind == PropertyKind::Object) {
    const auto* object = std::get_if<ObjectPtr>(&value);
    return object != nullptr ? std::dynamic_pointer_cast<typename detail::is_shared_ptr<T>::element>(*object) : T{};
  } else {
    const auto* any = std::get_if<std::any>(&value);
    if (any != nullptr) {
      if (const T* held = std::any_cast<T>(any)) {
        return *held;
      }
    }
    return T{};
  }
}

// Declares a property from a getter and an optional setter. Without a setter
// the property is read-only.
template <class C, class R, class S = std::nullptr_t>
PropertySpec property(const char* name, R (C::*getter)() const, S setter = nullptr) {
  using Value = std::remove_cvref_t<R>;
  PropertySpec spec;
  spec.name = name;
  spec.kind = detail::kind_of<Value>();
  spec.flags = PropertyFlags::Readable;
  if constexpr (std::is_enum_v<Value>) {
    if constexpr (DescribedEnum<Value>) {
      spec.enum_info = &enum_info<Value>();
      if (spec.enum_info->is_flags()) {
        spec.kind = PropertyKind::Flags;
      }
    }
  }
  if constexpr (detail::SharedTypedPtr<Value>) {
    // Not looked up here: the held class may be the one being described.
    spec.value_type = TypeRef(&detail::is_shared_ptr<Value>::element::static_type);
  }
  if constexpr (!std::is_copy_constructible_v<Value>) {
    // A collection that cannot be copied is handed out by address.
    static_assert(std::is_lvalue_reference_v<R>, "a non-copyable property needs a getter returning a reference");
    spec.getter = [getter](const Object& object) -> PropertyValue {
      return std::any(&(static_cast<const C&>(object).*getter)());
    };
  } else {
    spec.default_value = to_property_value(Value{});
    spec.getter = [getter](const Object& object) -> PropertyValue {
      return to_property_value<Value>((static_cast<const C&>(object).*getter)());
    };
  }
  if constexpr (!std::is_same_v<S, std::nullptr_t> && std::is_copy_constructible_v<Value>) {
    spec.flags |= PropertyFlags::Writable;
    spec.setter = [setter](Object& object, const PropertyValue& value) {
      (static_cast<C&>(object).*setter)(from_property_value<Value>(value));
    };
  }
  return spec;
}

}  // namespace Tolvane::Core
