#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "orvel/contracts/container/container.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Foundation {

class Container;
using ContainerPtr = std::shared_ptr<Container>;

// The container of the libraries' shared services. Resolution is a singleton per
// key: the first `resolve` of a key finds or builds its object and caches it
// under that key; later calls return the cached object.
//
// Order of resolution for a type T: a registered instance of T; else T's factory
// (called once, its result cached); else an object of the class registered for T
// (or of T itself when T is a class), built with every construct property whose
// declared type is exactly a registered key set to that key's resolved object.
//
// All operations take one recursive lock, so resolution from worker threads
// cannot race with another resolution; factories run under it and may resolve.
// A type met again while it is being resolved (a dependency cycle) resolves to
// null with a critical message naming it.
class ORVEL_API Container : public Core::Object, public Contracts::Container::IContainer {
  TOLVANE_OBJECT(Container)

  Container();
  ~Container() override;
  static ContainerPtr create() { return std::make_shared<Container>(); }

  bool has(const Core::TypeInfo& type) const override;
  void register_instance(const Core::TypeInfo& key_type, Core::ObjectPtr instance) override;
  void register_type(const Core::TypeInfo& key_type, const Core::TypeInfo& value_type) override;
  void register_factory(const Core::TypeInfo& key_type, Contracts::Container::Factory factory) override;
  Core::ObjectPtr resolve(const Core::TypeInfo& type) override;

 private:
  Core::ObjectPtr build(const Core::TypeInfo& type);
  std::vector<Core::ConstructArg> injections(const Core::TypeInfo& implementation);

  mutable std::recursive_mutex m_mutex;
  std::unordered_map<const Core::TypeInfo*, const Core::TypeInfo*> m_types;
  std::unordered_map<const Core::TypeInfo*, Core::ObjectPtr> m_instances;
  std::unordered_map<const Core::TypeInfo*, Contracts::Container::Factory> m_factories;
  // Keys whose resolution is under way, to stop dependency cycles.
  std::unordered_set<const Core::TypeInfo*> m_resolving;
};

}  // namespace Tolvane::Orvel::Foundation
