// The SQL formatter: beautify and minify keep every token of any text, give
// their own output back unchanged, and leave text that is not UTF-8 alone.

#include <string>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/database/formatter_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  const auto failures = Tolvane::Orvel::Supports::Database::check_formatting(text);
  if (!failures.empty()) {
    std::string detail;
    for (const auto& failure : failures) {
      detail += failure;
      detail += '\n';
    }
    Tolvane::Fuzz::fail("the formatter keeps tokens and is stable", detail);
  }
  return 0;
}
