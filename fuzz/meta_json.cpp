// The metadata model's JSON form. Whatever text a node is loaded from, its
// JSON is a fixed point: loading that JSON into a fresh node, or again into
// the same node, gives the same text, and so does a clone. Text nested deeper
// than the JSON limit is refused.
//
// The input's first line may name the class to load (as "MetaTable"); any
// other input is loaded whole into a MetaDatabase, the root of the tree.

#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/model/meta_model.hpp"

namespace {

using namespace Tolvane::Orvel::MetaModel;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

constexpr std::string_view kPrefix = "TolvaneOrvelMetaModel";

const std::vector<const Tolvane::Core::TypeInfo*>& classes() {
  static const std::vector<const Tolvane::Core::TypeInfo*> all = {
      &MetaObject::static_type(),     &MetaClassify::static_type(),   &MetaDatabase::static_type(),
      &MetaSchema::static_type(),     &MetaTable::static_type(),      &MetaColumn::static_type(),
      &MetaIndex::static_type(),      &MetaConstraint::static_type(), &MetaCheck::static_type(),
      &MetaUnique::static_type(),     &MetaForeignKey::static_type(), &MetaExclude::static_type(),
      &MetaView::static_type(),       &Materialized::static_type(),   &MetaTrigger::static_type(),
      &MetaFunction::static_type(),   &MetaEvent::static_type(),      &MetaRule::static_type(),
      &MetaSynonym::static_type(),    &MetaRole::static_type(),       &MetaUser::static_type()};
  return all;
}

// The class named by the first line ("MetaTable" for TolvaneOrvelMetaModelMetaTable).
const Tolvane::Core::TypeInfo* named_class(std::string_view line) {
  for (const auto* type : classes()) {
    const std::string_view name = type->name();
    if (name.starts_with(kPrefix) && name.substr(kPrefix.size()) == line) {
      return type;
    }
  }
  return nullptr;
}

MetaObjectPtr make(const Tolvane::Core::TypeInfo& type) {
  return std::dynamic_pointer_cast<MetaObject>(type.create());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = Tolvane::Fuzz::as_text(data, size);
  const Tolvane::Core::TypeInfo* type = &MetaDatabase::static_type();
  if (const std::size_t line_end = text.find('\n'); line_end != std::string_view::npos) {
    if (const auto* named = named_class(text.substr(0, line_end))) {
      type = named;
      text.remove_prefix(line_end + 1);
    }
  }

  const MetaObjectPtr node = make(*type);
  check(node != nullptr, "every class of the model can be made", type->name());
  if (!node->load_json(text)) {
    return 0;
  }
  check(Tolvane::Fuzz::json_depth(text) <= Tolvane::Core::Json::kMaxDepth, "text nested too deeply is refused",
        excerpt(text));
  const std::string first = node->to_json();
  const std::string where = std::string(type->name()) + "\ninput: " + excerpt(text) + "\njson: " + excerpt(first, 400);

  const MetaObjectPtr fresh = make(*type);
  const auto again = fresh->load_json(first);
  check(static_cast<bool>(again), "a node's own JSON loads", where + "\n" + (again ? "" : again.error().message));
  const std::string second = fresh->to_json();
  check(second == first, "a node loaded from a node's JSON gives the same JSON", where + "\nthen: " + excerpt(second, 400));

  check(static_cast<bool>(node->load_json(first)), "a node's own JSON loads into it again", where);
  const std::string reloaded = node->to_json();
  check(reloaded == first, "loading a node's own JSON into it changes nothing",
        where + "\nthen: " + excerpt(reloaded, 400));

  const MetaObjectPtr copy = node->clone();
  check(copy != nullptr && copy->to_json() == first, "a clone gives the same JSON",
        where + "\nclone: " + (copy ? excerpt(copy->to_json(), 400) : "(none)"));
  return 0;
}
