// tolvane settings [show | get KEY | set KEY VALUE | path]

#include <cmath>

#include "orvel/contracts/serialization/json_serializer.hpp"
#include "orvel/helpers/service_helper.hpp"
#include "tessin/core/number_text.hpp"
#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Contracts::Setting::UserSetting;
using Orvel::Contracts::Setting::UserSettingPtr;

struct SettingsArguments {
  std::string file;
  std::string key;
  std::string value;
};

// Printed only as set or not: the file holds it, the terminal need not.
constexpr std::string_view kSecretSetting = "network.proxy-password";

std::string default_settings_file() { return std::string(g_get_user_config_dir()) + "/tolvane/settings.json"; }

// One setting named "group.key": the group object and the key's property.
struct Setting {
  Core::ObjectPtr group;
  const Core::PropertySpec* spec;
};

Outcome<Setting> find_setting(const UserSetting& settings, const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::string group_name = name.substr(0, dot);
  if (dot != std::string::npos) {
    if (auto group = settings.get_property(group_name)) {
      if (const auto* object = std::get_if<Core::ObjectPtr>(&*group); object != nullptr && *object) {
        if (const Core::PropertySpec* spec = (*object)->type().find_property(name.substr(dot + 1))) {
          return Setting{*object, spec};
        }
      }
    }
  }
  return std::unexpected(Failure{kUsage, "no setting named \"" + name + "\" (`tolvane settings show` lists them)"});
}

std::string text_of(const Core::PropertyValue& value) {
  if (const auto* b = std::get_if<bool>(&value)) {
    return *b ? "true" : "false";
  }
  if (const auto* i = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*i);
  }
  if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    return std::to_string(*u);
  }
  if (const auto* d = std::get_if<double>(&value)) {
    return Core::format_double(*d);
  }
  if (const auto* s = std::get_if<std::string>(&value)) {
    return *s;
  }
  if (const auto* when = std::get_if<Core::DateTime>(&value)) {
    return Orvel::Contracts::Serialization::date_time_to_iso8601(*when);
  }
  return "";
}

std::string shown(const std::string& name, const Setting& setting) {
  const Core::PropertyValue value = setting.spec->getter(*setting.group);
  if (name == kSecretSetting) {
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr && !text->empty() ? "(set)" : "(none)";
  }
  return text_of(value);
}

// The typed value of a setting from the text the user gave.
Outcome<Core::PropertyValue> parse_value(const std::string& name, const Core::PropertySpec& spec,
                                         const std::string& text) {
  auto refuse = [&name, &text](const char* expected) {
    return std::unexpected(Failure{kUsage, "\"" + text + "\" is not " + expected + " (setting " + name + ")"});
  };
  switch (spec.kind) {
    case Core::PropertyKind::Boolean:
      if (text == "true" || text == "yes" || text == "1") {
        return Core::PropertyValue(true);
      }
      if (text == "false" || text == "no" || text == "0") {
        return Core::PropertyValue(false);
      }
      return refuse("true or false");
    case Core::PropertyKind::Int32: {
      gint64 number = 0;
      if (g_ascii_string_to_signed(text.c_str(), 10, G_MININT32, G_MAXINT32, &number, nullptr) == FALSE) {
        return refuse("a whole number");
      }
      return Core::PropertyValue(static_cast<std::int64_t>(number));
    }
    case Core::PropertyKind::UInt32: {
      guint64 number = 0;
      if (g_ascii_string_to_unsigned(text.c_str(), 10, 0, G_MAXUINT32, &number, nullptr) == FALSE) {
        return refuse("a whole number of 0 or more");
      }
      return Core::PropertyValue(static_cast<std::uint64_t>(number));
    }
    case Core::PropertyKind::Double: {
      char* end = nullptr;
      const double number = g_ascii_strtod(text.c_str(), &end);
      if (text.empty() || end == nullptr || *end != '\0' || !std::isfinite(number)) {
        return refuse("a number");
      }
      return Core::PropertyValue(number);
    }
    case Core::PropertyKind::DateTime: {
      if (text.empty()) {
        return Core::PropertyValue();
      }
      Core::DateTime when = Orvel::Contracts::Serialization::date_time_from_iso8601(text);
      if (!when) {
        return refuse("an ISO 8601 date and time");
      }
      return Core::PropertyValue(std::move(when));
    }
    default:
      return Core::PropertyValue(text);
  }
}

// The settings object over the file, loaded. A file that exists but does not
// read as settings stops the command: it is the user's, and stays as it is.
Outcome<UserSettingPtr> load_settings(const std::string& file) {
  UserSettingPtr settings = Orvel::Helpers::ServiceHelper::setting();
  if (!settings) {
    return std::unexpected(Failure{kInputFailure, "no settings service is registered"});
  }
  if (Core::Status loaded = settings->load(file); !loaded) {
    const Core::Error& error = loaded.error();
    if (!(error.domain == g_quark_to_string(G_FILE_ERROR) && error.code == G_FILE_ERROR_NOENT)) {
      return std::unexpected(Failure{kInputFailure, "cannot read settings file " + file + ": " + error.message +
                                                        " (the file was left as it is)"});
    }
  }
  return settings;
}

int show_settings(const UserSetting& settings) {
  for (const Core::PropertySpec* group_spec : settings.type().properties()) {
    const Core::PropertyValue group = group_spec->getter(settings);
    const auto* object = std::get_if<Core::ObjectPtr>(&group);
    if (object == nullptr || !*object) {
      continue;
    }
    for (const Core::PropertySpec* spec : (*object)->type().properties()) {
      const std::string name = group_spec->name + "." + spec->name;
      std::printf("%s = %s\n", name.c_str(), shown(name, Setting{*object, spec}).c_str());
    }
  }
  return kSuccess;
}

int set_setting(const std::shared_ptr<UserSetting>& settings, const std::string& file, const std::string& name,
                std::string text) {
  if (text == "-") {
    auto input = read_input("-");
    if (!input) {
      return report(input.error());
    }
    text = std::move(*input);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.pop_back();
    }
  }
  auto setting = find_setting(*settings, name);
  if (!setting) {
    return report(setting.error());
  }
  auto value = parse_value(name, *setting->spec, text);
  if (!value) {
    return report(value.error());
  }
  Core::GCharPtr folder(g_path_get_dirname(file.c_str()));
  g_mkdir_with_parents(folder.get(), 0700);
  // Under the file's lock, on what the file says now: a change another
  // process made meanwhile is kept.
  Core::Status updated = settings->update([&name, &value](UserSetting& fresh) -> Core::Status {
    auto target = find_setting(fresh, name);
    if (target) {
      target->spec->setter(*target->group, *value);
    }
    return {};
  });
  if (!updated) {
    return report(Failure{kInputFailure, "cannot write settings file " + file + ": " + updated.error().message});
  }
  auto stored = find_setting(*settings, name);
  std::printf("%s = %s\n", name.c_str(), stored ? shown(name, *stored).c_str() : "");
  return kSuccess;
}

}  // namespace

Runner add_settings_command(CLI::App& app) {
  auto arguments = std::make_shared<SettingsArguments>();
  arguments->file = default_settings_file();
  CLI::App* command = app.add_subcommand("settings", "Show and change the user settings");
  command->footer(
      "The user settings file (by default $XDG_CONFIG_HOME/tolvane/settings.json, readable by you only).\n"
      "Settings are named group.key, as `settings show` lists them. A file that cannot be read is\n"
      "never replaced: fix it, or move it away to start from the defaults.");
  command->add_option("--file", arguments->file, "The settings file")->default_str(arguments->file);
  command->require_subcommand(1);
  CLI::App* show = command->add_subcommand("show", "Every setting and its value");
  CLI::App* get = command->add_subcommand("get", "One setting's value");
  get->add_option("key", arguments->key, "group.key")->required();
  CLI::App* set = command->add_subcommand("set", "Change one setting");
  set->add_option("key", arguments->key, "group.key")->required();
  set->add_option("value", arguments->value, "The new value; - reads it from standard input")->required();
  CLI::App* path = command->add_subcommand("path", "Print the settings file's path");

  return [=](Session&) {
    if (!command->parsed()) {
      return -1;
    }
    if (path->parsed()) {
      std::printf("%s\n", arguments->file.c_str());
      return static_cast<int>(kSuccess);
    }
    auto settings = load_settings(arguments->file);
    if (!settings) {
      return report(settings.error());
    }
    if (show->parsed()) {
      return show_settings(**settings);
    }
    if (get->parsed()) {
      auto setting = find_setting(**settings, arguments->key);
      if (!setting) {
        return report(setting.error());
      }
      std::printf("%s\n", shown(arguments->key, *setting).c_str());
      return static_cast<int>(kSuccess);
    }
    if (set->parsed()) {
      return set_setting(*settings, arguments->file, arguments->key, arguments->value);
    }
    return -1;
  };
}

}  // namespace Tolvane::Cli
