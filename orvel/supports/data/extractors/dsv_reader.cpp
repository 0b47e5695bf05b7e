#include "orvel/supports/data/extractors/dsv_reader.hpp"

#include <algorithm>
#include <cstring>

#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

namespace {

constexpr std::size_t kBlock = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::vector<std::string> split_text(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

Core::Status DsvDialect::set_quotation(std::string_view list) {
  if (list.empty()) {
    return {};
  }
  const std::string entry = split_text(list, ';').front();
  const std::vector<std::string> parts = split_text(entry, '-');
  if (parts.size() != 4 || std::any_of(parts.begin(), parts.end(), [](const auto& p) { return p.empty(); })) {
    return Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT,
                      std::string(Core::_("QUOTATION_LIST must hold four texts joined by '-' "
                                          "(quote left, quote right, escape left, escape right): ")) +
                          entry);
  }
  quote_left = parts[0];
  quote_right = parts[1];
  escape_left = parts[2];
  escape_right = parts[3];
  return {};
}

DsvReader::DsvReader(GInputStream* stream, DsvDialect dialect)
    : m_dialect(std::move(dialect)), m_stream(Core::GRef<GInputStream>::share(stream)) {
  m_data = m_buffer;
  const std::size_t longest = std::max({m_dialect.column_delimiter.size(), m_dialect.row_delimiter.size(),
                                        m_dialect.quote_left.size(), m_dialect.quote_right.size(),
                                        m_dialect.escape_left.size(), m_dialect.escape_right.size(),
                                        std::size_t{3}});
  m_lookahead = longest;
  for (const std::string* token : {&m_dialect.column_delimiter, &m_dialect.row_delimiter, &m_dialect.quote_left,
                                   &m_dialect.quote_right, &m_dialect.escape_left, &m_dialect.escape_right}) {
    if (!token->empty()) {
      m_stops[static_cast<unsigned char>(token->front())] = true;
    }
  }
  m_stops[static_cast<unsigned char>('\r')] = true;
  m_stops[static_cast<unsigned char>('\n')] = true;  // lines are counted
  m_stops[0] = true;                                 // text has no NUL
}

DsvReader::DsvReader(std::string_view text, DsvDialect dialect) : DsvReader(nullptr, std::move(dialect)) {
  m_data = text;
  m_eof = true;
}

bool DsvReader::ensure(std::size_t count) {
  while (m_data.size() - m_pos < count && !m_eof && m_stream) {
    // Keep only what is not consumed yet, then append a block.
    m_consumed_before += m_pos;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const std::size_t kept = m_buffer.size();
    m_buffer.resize(kept + kBlock);
    GError* raw = nullptr;
    const gssize read = g_input_stream_read(m_stream.get(), m_buffer.data() + kept, kBlock, nullptr, &raw);
    if (read < 0) {
      m_read_error = std::make_unique<Core::Error>(Core::Error::take_gerror(raw));
      m_buffer.resize(kept);
      m_eof = true;
    } else {
      m_buffer.resize(kept + static_cast<std::size_t>(read));
      m_eof = read == 0;
    }
    m_data = m_buffer;
  }
  return m_data.size() - m_pos >= count;
}

bool DsvReader::at(std::size_t pos, std::string_view token) const {
  return !token.empty() && m_data.size() - pos >= token.size() &&
         std::memcmp(m_data.data() + pos, token.data(), token.size()) == 0;
}

// The length of the row end at `pos`, 0 when there is none.
std::size_t DsvReader::row_end_at(std::size_t pos) const {
  if (m_dialect.ends_rows_at_line_breaks()) {
    if (m_data[pos] == '\n') {
      return 1;
    }
    return at(pos, "\r\n") ? 2 : 0;
  }
  return at(pos, m_dialect.row_delimiter) ? m_dialect.row_delimiter.size() : 0;
}

Core::Error DsvReader::invalid(std::int64_t line, std::string message) const {
  return Core::Error{Core::Error::gio_domain(), G_IO_ERROR_INVALID_DATA,
                     Core::_("line") + (" " + std::to_string(line)) + ": " + message};
}

Core::Result<bool> DsvReader::next(DsvRecord& record) {
  enum class State { FieldStart, Unquoted, Quoted, AfterQuote };
  record.fields.clear();
  record.quoted.clear();
  if (!m_started) {
    m_started = true;
    ensure(kByteOrderMark.size());
    if (at(m_pos, kByteOrderMark)) {
      m_pos += kByteOrderMark.size();
    }
  }
  record.line = m_line;
  State state = State::FieldStart;
  std::string field;
  bool field_quoted = false;
  bool anything = false;
  std::size_t record_bytes = 0;
  const auto end_field = [&] {
    if (!g_utf8_validate(field.data(), static_cast<gssize>(field.size()), nullptr)) {
      return false;
    }
    record_bytes += field.size();
    record.fields.push_back(std::move(field));
    record.quoted.push_back(field_quoted);
    field.clear();
    field_quoted = false;
    return true;
  };
  const auto not_text = [&] {
    return Core::fail(invalid(m_line, Core::_("the text is not valid UTF-8 (wrong encoding, or not a text file)")));
  };
  for (;;) {
    ensure(m_lookahead);
    if (m_read_error) {
      Core::Error error = *m_read_error;
      error.message = invalid(m_line, error.message).message;
      return Core::fail(error);
    }
    if (m_pos >= m_data.size()) {
      if (state == State::Quoted) {
        return Core::fail(invalid(record.line, Core::_("a quoted field is not closed before the end of the input")));
      }
      if (!anything) {
        return false;
      }
      if (!end_field()) {
        return not_text();
      }
      return true;
    }
    anything = true;
    if (record_bytes + field.size() > m_dialect.max_record_bytes) {
      return Core::fail(invalid(record.line, Core::_("the record is longer than the limit for one record; "
                                                      "the file may not be delimited text")));
    }
    const char c = m_data[m_pos];
    switch (state) {
      case State::FieldStart:
        if (at(m_pos, m_dialect.quote_left)) {
          m_pos += m_dialect.quote_left.size();
          field_quoted = true;
          state = State::Quoted;
        } else {
          state = State::Unquoted;
        }
        continue;
      case State::Unquoted:
      case State::AfterQuote: {
        if (at(m_pos, m_dialect.column_delimiter)) {
          m_pos += m_dialect.column_delimiter.size();
          if (!end_field()) {
            return not_text();
          }
          state = State::FieldStart;
          continue;
        }
        if (const std::size_t length = row_end_at(m_pos); length > 0) {
          m_line += std::count(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos),
                               m_data.begin() + static_cast<std::ptrdiff_t>(m_pos + length), '\n');
          m_pos += length;
          if (!end_field()) {
            return not_text();
          }
          return true;
        }
        if (c == '\0') {
          return not_text();
        }
        // Text after a closing quote is kept as it is (lenient, as RFC 4180
        // readers commonly are). Take the whole run up to the next byte that
        // may start something.
        std::size_t end = m_pos + 1;
        while (end < m_data.size() && !m_stops[static_cast<unsigned char>(m_data[end])]) {
          ++end;
        }
        if (c == '\n') {
          ++m_line;
        }
        field.append(m_data.data() + m_pos, end - m_pos);
        m_pos = end;
        continue;
      }
      case State::Quoted: {
        if (at(m_pos, m_dialect.escape_left)) {
          field += m_dialect.quote_left;
          m_pos += m_dialect.escape_left.size();
          continue;
        }
        if (at(m_pos, m_dialect.escape_right)) {
          field += m_dialect.quote_right;
          m_pos += m_dialect.escape_right.size();
          continue;
        }
        if (at(m_pos, m_dialect.quote_right)) {
          m_pos += m_dialect.quote_right.size();
          state = State::AfterQuote;
          continue;
        }
        if (c == '\0') {
          return not_text();
        }
        if (c == '\n') {
          ++m_line;
        }
        std::size_t end = m_pos + 1;
        while (end < m_data.size() && !m_stops[static_cast<unsigned char>(m_data[end])]) {
          ++end;
        }
        field.append(m_data.data() + m_pos, end - m_pos);
        m_pos = end;
        continue;
      }
    }
  }
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
