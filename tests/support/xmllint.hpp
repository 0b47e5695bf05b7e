#pragma once

#include <string>

namespace Tolvane::Testing {

// What `xmllint --noout` (with `html`, `xmllint --html --noout`) says about
// `document`: "" when it parses without a complaint, else its messages.
std::string xmllint(const std::string& document, bool html = false);

}  // namespace Tolvane::Testing
