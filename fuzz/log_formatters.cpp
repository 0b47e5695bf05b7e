// The log line formatters. They build a printf format around the caller's, so
// whatever a server or connection name holds ('%' above all) must come out of
// the expanded line as it went in (a NUL byte as "\0"): padded where the
// formatter pads, with the caller's message after it and nothing read that was
// not passed.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdarg>
#include <string>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/log/formatters.hpp"
#include "orvel/supports/log/log_handler.hpp"

namespace {

using namespace Tolvane::Orvel::Supports::Log;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

std::string expand(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = LogHandler::expand(format, arguments);
  va_end(arguments);
  return text;
}

// A name as the line shows it.
std::string shown(std::string_view name) {
  std::string text;
  for (const char c : name) {
    if (c == '\0') {
      text += "\\0";
    } else {
      text += c;
    }
  }
  return text;
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) {
    text.append(width - text.size(), ' ');
  }
  return text;
}

// The line is a time stamp followed by `tail`.
void check_line(std::string_view what, const std::string& line, const std::string& tail) {
  const bool ends = line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
  check(ends, std::string(what) + " writes server, name and message as given",
        "line: " + excerpt(line, 400) + "\nwanted after the stamp: " + excerpt(tail, 400));
  for (std::size_t i = 0; i + tail.size() < line.size(); ++i) {
    const char c = line[i];
    check((c >= '0' && c <= '9') || c == ' ' || c == ':' || c == '.', std::string(what) + " starts with a time stamp",
          excerpt(line, 400));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto level = static_cast<LogLevel>(input.ConsumeIntegralInRange(-1, 4));
  const std::string server = input.ConsumeRandomLengthString(40);
  const std::string name = input.ConsumeRandomLengthString(40);
  const std::string message = input.ConsumeRemainingBytesAsString();
  // The message is the argument of "%s": it ends at a NUL byte.
  const std::string written(message.c_str());

  auto plain = DefaultFormatter::create();
  check_line("DefaultFormatter", expand(plain->format(level, server, name, "%s").c_str(), message.c_str()),
             " [" + shown(server) + "][" + shown(name) + "][" + plain->get_level_name(level) + "] " + written + "\n");

  auto colour = ColorFormatter::create();
  check_line("ColorFormatter", expand(colour->format(level, server, name, "%s").c_str(), message.c_str()),
             " [" + padded(shown(server), 12) + "][" + padded(shown(name), 12) + "][" +
                 padded(colour->get_level_name(level), 20) + "] " + written + "\n");

  auto simple = SimpleFormatter::create();
  check_line("SimpleFormatter", expand(simple->format(level, server, name, "%s").c_str(), message.c_str()), " " + written + "\n");
  return 0;
}
