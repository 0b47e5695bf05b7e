#pragma once

// The beautifier's clause layout, internal to liborvel. It works on a skeleton
// of the SQL rather than on the SQL itself, so that its whole-text rules can
// never reach into a literal, a quoted name or a comment: the text is cut into
// tokens and written as a skeleton, the skeleton is laid out, and the real
// tokens go back in the places the layout gave their stand-ins.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database::Layout {

// A skeleton holds, per statement, the characters the layout rules read:
//  - bare ASCII words and punctuation as they are;
//  - one blank where the text has white space or comments between two tokens;
//  - `kStringMark` for each string literal ('...'), so that literals take part
//    in the layout exactly as the rules expect a quoted text to;
//  - one mask character for every other token (quoted names, blobs, numbers,
//    parameters, words with non-ASCII letters, illegal bytes): `kMaskJoining`
//    when the token ends in an identifier character, so that nothing may be
//    moved up against it, `kMaskClosed` otherwise.
// Nothing else occurs in a skeleton; in particular no ':' and no line break.
inline constexpr std::string_view kStringMark = "''";
inline constexpr char kMaskJoining = '#';
inline constexpr char kMaskClosed = '@';

// The beautifier's whole work on a text: its skeleton laid out and its tokens
// put back where the layout put their stand-ins, with its comments beside
// them (formatter_skeleton.cpp). Fails when a regular expression reports an
// error or a token is not where the layout should have left it.
Core::Result<std::string> lay_out_text(std::string_view statements);

// Lays out the statements of `skeleton`; `ends` holds the offset just past
// each statement, in order, the last one being `skeleton.size()`. Each
// statement is laid out on its own (bracket level and sub-query depth start
// afresh) and starts on a line of its own; the result holds the same
// characters, but for blanks, line breaks and the case of keywords. Fails only
// when a regular expression reports an error.
Core::Result<std::string> lay_out(std::string_view skeleton, const std::vector<std::size_t>& ends);

// Whether the layout may write `word` (a bare word, any case) in capitals.
bool upper_cases(std::string_view word) noexcept;

// Sub-queries nested deeper than this are indented as deep as this.
inline constexpr int kMaxDepth = 100;

}  // namespace Tolvane::Orvel::Supports::Database::Layout
