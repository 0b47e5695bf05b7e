#pragma once

#include <functional>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Container {

class IContainer;

// Builds the object served under a key. It receives the container, so it can
// resolve what the new object needs; the container keeps the result.
using Factory = std::function<Core::ObjectPtr(IContainer& container)>;

// A dependency-injection container keyed by type descriptions (classes and
// interfaces). Registrations say which object, factory or class serves a key;
// resolution builds at most one object per key and keeps it.
class ORVEL_API IContainer {
  TOLVANE_INTERFACE(IContainer)

  virtual ~IContainer();

  // Whether `type` has an instance, a factory or a class registered.
  virtual bool has(const Core::TypeInfo& type) const = 0;
  // Serves `key_type` with `instance` (its class must be or derive from the key);
  // replaces an earlier instance, also one cached by resolution.
  virtual void register_instance(const Core::TypeInfo& key_type, Core::ObjectPtr instance) = 0;
  // Serves `key_type` with a new object of the class `value_type`, built on first
  // resolution.
  virtual void register_type(const Core::TypeInfo& key_type, const Core::TypeInfo& value_type) = 0;
  // Serves `key_type` with what `factory` returns; the factory runs at most once.
  virtual void register_factory(const Core::TypeInfo& key_type, Factory factory) = 0;
  // The object registered or built for `type`; null when none can be made.
  virtual Core::ObjectPtr resolve(const Core::TypeInfo& type) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Container
