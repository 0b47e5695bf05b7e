// The JSON and XML record readers. The first byte of the input picks the
// format ('j' or 'x'), the rest is the document. Whatever the document, the
// reader answers with a model or an error, never a crash. When a model with
// uniquely named columns comes back and exports, what it exports is a fixed
// point: loading it and exporting again gives the same text, so nothing a
// reader produces is changed by a round trip through the writer.

#include <set>
#include <string>
#include <type_traits>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/data/extractors/json_extractor.hpp"
#include "orvel/supports/data/extractors/xml_extractor.hpp"
#include "tessin/contracts/table_model.hpp"

namespace {

using namespace Tolvane::Orvel::Supports::Data::Extractors;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

bool uniquely_named(const Tolvane::Providers::Contracts::TableModel& model) {
  std::set<std::string> names;
  for (const auto& column : model.get_columns()) {
    if (column->get_name().empty() || !names.insert(column->get_name()).second) {
      return false;
    }
  }
  return !names.empty();
}

template <class Extractor>
std::string_view extension() {
  return std::is_same_v<Extractor, XmlExtractor> ? "xml" : "json";
}

template <class Extractor>
void check_records(std::string_view document) {
  auto extractor = Extractor::create(extension<Extractor>());
  auto loaded = extractor->load_from_text(std::string(document));
  if (!loaded || !*loaded || !uniquely_named(**loaded) || (*loaded)->get_rows().empty()) {
    return;
  }
  std::string first;
  if (!extractor->export_to_text(*loaded, &first, nullptr)) {
    return;
  }
  auto again = Extractor::create(extension<Extractor>())->load_from_text(first);
  check(again.has_value() && *again != nullptr, "what the writer wrote loads", excerpt(first));
  std::string second;
  check(extractor->export_to_text(*again, &second, nullptr).has_value(), "a loaded export exports again",
        excerpt(first));
  check(second == first, "a round trip through the writer changes nothing",
        excerpt(first) + " became " + excerpt(second));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = Tolvane::Fuzz::as_text(data, size);
  if (input.empty()) {
    return 0;
  }
  const std::string_view document = input.substr(1);
  if (input.front() == 'x') {
    check_records<XmlExtractor>(document);
  } else {
    check_records<JsonExtractor>(document);
  }
  return 0;
}
