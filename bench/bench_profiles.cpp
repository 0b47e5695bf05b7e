// The profile file at sizes far beyond a desktop's: reading and writing the
// whole tree must grow linearly with the number of profiles, and sealing the
// secrets of an older file costs one cipher run per secret.

#include <benchmark/benchmark.h>

#include <glib.h>

#include <filesystem>
#include <string>

#include "orvel/contracts/crypto/symmetric_cipher.hpp"
#include "orvel/foundation/services.hpp"
#include "orvel/helpers/password_helper.hpp"
#include "orvel/supports/crypto/openssl_symmetric_cipher.hpp"
#include "tessin/contracts/server_setting.hpp"

namespace {

using Tolvane::Providers::Contracts::Server;
using Tolvane::Providers::Contracts::ServerGroup;
using Tolvane::Providers::Contracts::ServerSetting;
using Tolvane::Providers::Contracts::ServerSettingPtr;

// A quarter of the profiles in a group, the rest at the top level; each with
// an encrypted-looking key.
ServerSettingPtr tree_of(int profiles) {
  auto setting = ServerSetting::create();
  auto group = ServerGroup::with_name("work");
  for (int i = 0; i < profiles; ++i) {
    auto server = Server::with_provider("SQLite");
    server->set_title("profile " + std::to_string(i));
    server->set_filename("/data/db" + std::to_string(i) + ".db");
    server->set_options("PASSWORD=sBwwTTSyJcRBaC9hDEpBfQ==");
    (i % 4 == 0 ? group->get_servers() : setting->get_servers()).push_back(server);
  }
  setting->get_groups().push_back(group);
  return setting;
}

// A temporary folder for the files, removed with them at exit.
struct Folder {
  Folder() {
    gchar* made = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
    path = made;
    g_free(made);
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

// A file of `profiles` profiles, made once per size.
std::string file_of(int profiles) {
  static Folder folder;
  const std::string file = folder.path + "/servers-" + std::to_string(profiles) + ".json";
  if (!g_file_test(file.c_str(), G_FILE_TEST_EXISTS)) {
    auto setting = tree_of(profiles);
    (void)setting->load(file);
    (void)setting->save();
  }
  return file;
}

void BM_LoadProfiles(benchmark::State& state) {
  const std::string file = file_of(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto setting = ServerSetting::create();
    benchmark::DoNotOptimize(setting->load(file));
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadProfiles)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SaveProfiles(benchmark::State& state) {
  auto setting = ServerSetting::create();
  (void)setting->load(file_of(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(setting->save());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveProfiles)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();

// One secret of a profile, as `profile add` and the sealing of older files
// encrypt it: key derivation from user and host name, AES, Base64.
void BM_EncryptSecret(benchmark::State& state) {
  using namespace Tolvane::Orvel;
  Foundation::Services::initialize();
  Foundation::Services::register_type(Contracts::Crypto::ISymmetricCipher::static_type(),
                                      Supports::Crypto::OpenSSLSymmetricCipher::static_type());
  for (auto _ : state) {
    benchmark::DoNotOptimize(Helpers::PasswordHelper::encrypt_text("hunter2"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncryptSecret);

}  // namespace

BENCHMARK_MAIN();
