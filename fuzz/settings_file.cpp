// The user settings file. Any text either fails to load, leaving the groups
// as they were, or loads; loaded settings saved and loaded again give the
// same text. Text nested deeper than the JSON limit is refused.

#include "fuzz/support/file_round_trip.hpp"
#include "orvel/contracts/setting/user_setting.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto setting = Tolvane::Orvel::Contracts::Setting::UserSetting::create();
  Tolvane::Fuzz::check_file_round_trip(*setting, Tolvane::Fuzz::as_text(data, size), "settings.json");
  return 0;
}
