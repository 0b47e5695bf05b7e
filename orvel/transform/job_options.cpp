#include "orvel/transform/job_options.hpp"

namespace Tolvane::Orvel::Transform {

std::string option_key(std::string_view first, std::string_view second, std::string_view third) {
  std::string key;
  key.reserve(first.size() + second.size() + third.size() + 2);
  key.append(first).append(1, '|').append(second).append(1, '|').append(third);
  return key;
}

const std::string* JobOptions::find(std::string_view first, std::string_view second,
                                    std::string_view third) const {
  auto it = options_.find(option_key(first, second, third));
  return it == options_.end() ? nullptr : &it->second;
}

bool JobOptions::has(std::string_view first, std::string_view second, std::string_view third) const {
  return find(first, second, third) != nullptr;
}

std::string JobOptions::get(std::string_view first, std::string_view second, std::string_view third,
                            std::string_view fallback) const {
  const std::string* value = find(first, second, third);
  return value ? *value : std::string(fallback);
}

std::string JobOptions::side_database(std::string_view side) const {
  return get(OptionWord::kOption, side, OptionWord::kDatabase);
}

std::string JobOptions::side_schema(std::string_view side) const {
  return get(OptionWord::kOption, side, OptionWord::kSchema);
}

bool JobOptions::continue_on_failure() const {
  return get(OptionWord::kOption, OptionWord::kResult, OptionWord::kContinue) == "true";
}

bool JobOptions::drop_objects() const {
  return get(OptionWord::kOption, OptionWord::kResult, OptionWord::kDropObject) == "true";
}

bool JobOptions::selected(std::string_view kind, std::string_view name) const {
  return has(OptionWord::kOption, kind, name);
}

}  // namespace Tolvane::Orvel::Transform
