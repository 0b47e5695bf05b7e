// tolvane keygen [--out DIR] [--force]

#include "orvel/helpers/service_helper.hpp"
#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

namespace {

struct KeygenArguments {
  std::string folder;
  bool force = false;
};

int run_keygen(const Session& session, const KeygenArguments& arguments) {
  const std::string folder = arguments.folder.empty() ? session.paths().data_dir + "/keys" : arguments.folder;
  const std::string private_file = folder + "/private.pem";
  const std::string public_file = folder + "/public.pem";
  if (!arguments.force) {
    // A private key is not made twice: overwriting one loses it for good.
    for (const std::string& file : {private_file, public_file}) {
      if (g_file_test(file.c_str(), G_FILE_TEST_EXISTS)) {
        return report(Failure{kInputFailure, file + " exists already (use --force to replace the key pair)"});
      }
    }
  }
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
    return report(Failure{kInputFailure, "cannot make the folder " + folder + ": " + g_strerror(errno)});
  }
  auto cipher = Orvel::Helpers::ServiceHelper::pubkey();
  if (!cipher) {
    return report(Failure{kInputFailure, "no public-key cipher is registered"});
  }
  if (Core::Status made = cipher->initialize(); !made) {
    return report(Failure{kInputFailure, "cannot make a key pair: " + made.error().message});
  }
  if (Core::Status saved = cipher->save_key_file(public_file, private_file); !saved) {
    return report(Failure{kInputFailure, "cannot save the key pair: " + saved.error().message});
  }
  std::printf("private key %s (readable by you only)\npublic key  %s\n", private_file.c_str(), public_file.c_str());
  return kSuccess;
}

}  // namespace

Runner add_keygen_command(CLI::App& app) {
  auto arguments = std::make_shared<KeygenArguments>();
  CLI::App* command = app.add_subcommand("keygen", "Make an RSA key pair (2048 bits) as PEM files");
  command->footer(
      "Writes private.pem (unencrypted PKCS#8, readable by you only) and public.pem into the folder,\n"
      "by default $XDG_DATA_HOME/tolvane/keys.");
  command->add_option("--out", arguments->folder, "Folder for the two key files");
  command->add_flag("--force", arguments->force, "Replace an existing key pair");
  return [=](Session& session) { return command->parsed() ? run_keygen(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
