#pragma once

#include <memory>

#include "orvel/contracts/container/container.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Foundation {

// The process-wide service container. The host calls `initialize` and registers
// its services at start-up; the libraries only resolve. Calls before
// `initialize` are programming errors ("container != NULL") and do nothing.
class ORVEL_API Services {
 public:
  Services() = delete;

  // Creates the container; later calls keep the existing one.
  static void initialize();

  static bool has(const Core::TypeInfo& type);
  static void register_instance(const Core::TypeInfo& key_type, Core::ObjectPtr instance);
  static void register_type(const Core::TypeInfo& key_type, const Core::TypeInfo& value_type);
  static void register_factory(const Core::TypeInfo& key_type, Contracts::Container::Factory factory);
  static Core::ObjectPtr resolve(const Core::TypeInfo& type);

  // The object serving T (a class or an interface), cast to T; null when the
  // container cannot provide one.
  template <class T>
  static std::shared_ptr<T> get() {
    return std::dynamic_pointer_cast<T>(resolve(T::static_type()));
  }

  // The container itself, null before `initialize`.
  static std::shared_ptr<Contracts::Container::IContainer> container();
};

}  // namespace Tolvane::Orvel::Foundation
