#pragma once

// Database content written into HTML and Markdown. Names, values, defaults
// and comments come from databases nobody here wrote: a cell holding
// "<script>" must show as text and not run, and a "|" or a line break must not
// split a Markdown table. Plain text (letters, digits, blanks, most
// punctuation) comes out unchanged, so documents of ordinary databases read
// as they always did.

#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

// Appends `text` as HTML text or as the value of a quoted attribute: '&', '<',
// '>', '"' and '\'' as the references g_markup_escape_text writes; bytes that
// are not UTF-8, NUL and the control characters other than tab, line feed and
// carriage return (which HTML cannot carry) as U+FFFD.
ORVEL_API void append_html(std::string& out, std::string_view text);
ORVEL_API std::string html(std::string_view text);

// Appends `text` as the inside of a Markdown table cell: '\\', '|', '[' and
// ']' behind a backslash, '&', '<' and '>' as HTML references (Markdown
// passes raw HTML through), each line break (LF, CR LF or CR) as "<br>", and
// what HTML cannot carry as U+FFFD.
ORVEL_API void append_markdown(std::string& out, std::string_view text);
ORVEL_API std::string markdown(std::string_view text);

// `id` as the fragment of a link ("#" not included): bytes other than ASCII
// letters, digits and "-._~!$*+,;=:@/?" percent-encoded, so the link stays
// one token in HTML attributes and in Markdown link targets alike; browsers
// decode it back to the element's id. Plain ids such as "main.t" are
// unchanged.
ORVEL_API std::string fragment(std::string_view id);

}  // namespace Tolvane::Orvel::Supports::Data::Documents
