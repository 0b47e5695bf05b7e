#include "orvel/foundation/services.hpp"

#include <mutex>

#include "orvel/foundation/container.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Foundation {

namespace {

// The slot is written once at start-up and read from any thread; the lock only
// guards the pointer, the container locks itself.
struct Slot {
  std::mutex mutex;
  ContainerPtr container;
};

Slot& slot() {
  static Slot instance;
  return instance;
}

ContainerPtr current() {
  Slot& s = slot();
  std::lock_guard lock(s.mutex);
  return s.container;
}

}  // namespace

void Services::initialize() {
  Slot& s = slot();
  std::lock_guard lock(s.mutex);
  if (!s.container) {
    s.container = Container::create();
  }
}

std::shared_ptr<Contracts::Container::IContainer> Services::container() { return current(); }

bool Services::has(const Core::TypeInfo& type) {
  ContainerPtr container = current();
  TOLVANE_RETURN_VAL_IF_FAIL(container != nullptr, "container != NULL", false);
  return container->has(type);
}

void Services::register_instance(const Core::TypeInfo& key_type, Core::ObjectPtr instance) {
  ContainerPtr container = current();
  TOLVANE_RETURN_IF_FAIL(container != nullptr, "container != NULL");
  container->register_instance(key_type, std::move(instance));
}

void Services::register_type(const Core::TypeInfo& key_type, const Core::TypeInfo& value_type) {
  ContainerPtr container = current();
  TOLVANE_RETURN_IF_FAIL(container != nullptr, "container != NULL");
  container->register_type(key_type, value_type);
}

void Services::register_factory(const Core::TypeInfo& key_type, Contracts::Container::Factory factory) {
  ContainerPtr container = current();
  TOLVANE_RETURN_IF_FAIL(container != nullptr, "container != NULL");
  container->register_factory(key_type, std::move(factory));
}

Core::ObjectPtr Services::resolve(const Core::TypeInfo& type) {
  ContainerPtr container = current();
  TOLVANE_RETURN_VAL_IF_FAIL(container != nullptr, "container != NULL", nullptr);
  return container->resolve(type);
}

}  // namespace Tolvane::Orvel::Foundation
