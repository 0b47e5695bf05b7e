// The profile file. Any text either fails to load, leaving the tree as it
// was, or loads; a loaded tree saved and loaded again gives the same text and
// the same profiles, and a clone of each profile writes the same JSON.

#include <string>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "tessin/contracts/server_setting.hpp"
#include "tessin/core/json_properties.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

std::string write_input(std::string_view text) {
  const std::string path = Tolvane::Fuzz::scratch_folder() + "/input.json";
  GError* error = nullptr;
  if (g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), &error) == FALSE) {
    Tolvane::Fuzz::fail("the input can be written to the scratch folder", error != nullptr ? error->message : "");
  }
  return path;
}

std::string profile_json(const Server& server) {
  auto members = Tolvane::Core::Json::serialize_object(server);
  return Tolvane::Core::Json::to_text(Tolvane::Core::Json::node_of(members.get()).get());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Tolvane::Fuzz::initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  const std::string input = write_input(text);

  // A tree that fails to load keeps what it had.
  auto setting = ServerSetting::create();
  setting->get_servers().push_back(Server::create());
  const std::string before = setting->to_text();
  if (!setting->load(input)) {
    check(setting->to_text() == before, "a failed load leaves the tree as it was", excerpt(text));
    return 0;
  }

  const std::string first = setting->to_text();
  const std::string where = "input: " + excerpt(text) + "\nloaded: " + excerpt(first, 400);
  for (const ServerPtr& server : setting->unite_servers()) {
    check(server != nullptr, "a loaded tree holds no empty profile", where);
    check(profile_json(*server->clone(false)) == profile_json(*server), "a clone of a profile writes the same JSON",
          where);
  }

  const auto saved = setting->save();
  check(static_cast<bool>(saved), "a loaded tree can be saved", where + "\n" + (saved ? "" : saved.error().message));
  auto reread = ServerSetting::create();
  const auto loaded = reread->load(input);
  check(static_cast<bool>(loaded), "a saved tree loads", where + "\n" + (loaded ? "" : loaded.error().message));
  check(reread->to_text() == first, "a saved tree loads as it was saved", where + "\nthen: " + excerpt(reread->to_text(), 400));
  check(reread->unite_servers().size() == setting->unite_servers().size(), "a saved tree keeps every profile", where);
  return 0;
}
