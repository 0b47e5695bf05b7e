// The profile file. Any text either fails to load, leaving the tree as it
// was, or loads; a loaded tree saved and loaded again gives the same text and
// the same profiles, and a clone of each profile writes the same JSON. Text
// nested deeper than the JSON limit is refused.

#include <string>

#include "fuzz/support/file_round_trip.hpp"
#include "tessin/contracts/server_setting.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;
using Tolvane::Fuzz::check;

std::string profile_json(const Server& server) {
  auto members = Tolvane::Core::Json::serialize_object(server);
  return Tolvane::Core::Json::to_text(Tolvane::Core::Json::node_of(members.get()).get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  // A tree that holds a profile already, so a failed load that cleared the
  // lists would show.
  auto setting = ServerSetting::create();
  setting->get_servers().push_back(Server::create());
  if (!Tolvane::Fuzz::check_file_round_trip(*setting, text, "servers.json")) {
    return 0;
  }
  auto reread = ServerSetting::create();
  check(static_cast<bool>(reread->load(setting->get_filename())) &&
            reread->unite_servers().size() == setting->unite_servers().size(),
        "a saved tree keeps every profile", Tolvane::Fuzz::excerpt(text));
  for (const ServerPtr& server : setting->unite_servers()) {
    check(server != nullptr, "a loaded tree holds no empty profile", Tolvane::Fuzz::excerpt(text));
    check(profile_json(*server->clone(false)) == profile_json(*server), "a clone of a profile writes the same JSON",
          Tolvane::Fuzz::excerpt(text));
  }
  return 0;
}
