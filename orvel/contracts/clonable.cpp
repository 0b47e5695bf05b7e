#include "orvel/contracts/clonable.hpp"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts {

namespace {

struct Appenders {
  std::mutex mutex;
  std::unordered_map<std::type_index, CollectionAppender> by_type;  // guarded by mutex
};

Appenders& appenders() {
  static Appenders instance;
  return instance;
}

CollectionAppender appender_for(const std::type_info& held) {
  Appenders& all = appenders();
  std::lock_guard lock(all.mutex);
  auto found = all.by_type.find(held);
  return found != all.by_type.end() ? found->second : nullptr;
}

// A read-only property: only collections are copied, by appending.
void copy_collection(const Core::PropertySpec& spec, const Core::Object& source, Core::Object& copy) {
  const Core::PropertyValue from = spec.getter(source);
  const auto* held = std::get_if<std::any>(&from);
  if (held == nullptr || !held->has_value()) {
    return;
  }
  if (CollectionAppender append = appender_for(held->type())) {
    const Core::PropertyValue into = spec.getter(copy);
    if (const auto* target = std::get_if<std::any>(&into)) {
      append(*held, *target);
    }
  }
}

}  // namespace

const Core::TypeInfo& IClonable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsIClonable", {});
  return info;
}

IClonable::~IClonable() = default;

Core::ObjectPtr IClonable::clone() const {
  const auto* self = dynamic_cast<const Core::Object*>(this);
  TOLVANE_RETURN_VAL_IF_FAIL(self != nullptr, "G_IS_OBJECT (self)", nullptr);
  return clone_object(*self);
}

void register_collection_appender(std::type_index held, CollectionAppender appender) {
  Appenders& all = appenders();
  std::lock_guard lock(all.mutex);
  all.by_type.insert_or_assign(held, appender);
}

Core::ObjectPtr clone_object(const Core::Object& source) {
  const Core::TypeInfo& type = source.type();
  std::vector<Core::ConstructArg> arguments;
  for (const Core::PropertySpec* spec : type.properties()) {
    if (spec->is_construct() && spec->readable() && spec->getter && spec->setter) {
      arguments.push_back({spec->name, spec->getter(source)});
    }
  }
  Core::ObjectPtr copy = type.create(arguments);
  if (!copy) {
    return nullptr;
  }
  for (const Core::PropertySpec* spec : type.properties()) {
    if (!spec->readable() || !spec->getter) {
      continue;
    }
    if (spec->writable()) {
      // Construct-only values went in with the construction.
      if (!spec->is_construct_only() && spec->setter) {
        spec->setter(*copy, spec->getter(source));
      }
    } else {
      copy_collection(*spec, source, *copy);
    }
  }
  return copy;
}

}  // namespace Tolvane::Orvel::Contracts
