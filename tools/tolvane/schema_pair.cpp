#include "tools/tolvane/schema_pair.hpp"

#include <cstdio>

#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Transform::OptionWord::kOption;
using Orvel::Transform::Options;
using Orvel::Transform::StructureSynchronizer;
using Orvel::Transform::StructureSynchronizerPtr;
using Providers::Contracts::DataVersion;
using Providers::Contracts::DBObject;

Options sides() {
  using namespace Orvel::Transform::OptionWord;
  return Options{{Orvel::Transform::option_key(kOption, kSource, kSchema), "main"},
                 {Orvel::Transform::option_key(kOption, kTarget, kSchema), "main"}};
}

Outcome<StructureSynchronizerPtr> make_job(const SchemaPair::Opened& pair, Options options) {
  options.merge(sides());
  auto job = StructureSynchronizer::create(std::move(options));
  job->set_server_source(pair.source);
  job->set_server_target(pair.target);
  if (auto filled = job->initialize(); !filled) {
    return std::unexpected(Failure{kStatementFailed, "cannot read the structures: " + describe(filled.error())});
  }
  return job;
}

template <class T>
bool names_one_of(const std::vector<std::shared_ptr<T>>& items, const std::string& name) {
  for (const auto& item : items) {
    if (item && item->get_name() == name && item->get_version() != DataVersion::Identical) {
      return true;
    }
  }
  return false;
}

}  // namespace

void SchemaPair::add(CLI::App& command) {
  command.add_option("source", source.database, "The database whose structure is wanted (path or saved profile)")
      ->required();
  command.add_option("target", target.database, "The database compared with it, or changed (path or saved profile)")
      ->required();
  add_open_options(command, source, "source-", "the source database", false);
  add_open_options(command, target, "target-", "the target database", false);
}

Outcome<SchemaPair::Opened> SchemaPair::open(Session& session) const {
  Opened pair;
  auto opened_source = session.open(source);
  if (!opened_source) {
    return std::unexpected(opened_source.error());
  }
  pair.source = *opened_source;
  auto opened_target = session.open(target);
  if (!opened_target) {
    pair.source->close();
    return std::unexpected(opened_target.error());
  }
  pair.target = *opened_target;
  auto job = make_job(pair, {});
  if (!job) {
    pair.close();
    return std::unexpected(job.error());
  }
  pair.job = *job;
  auto patch = pair.job->preview();
  if (!patch) {
    pair.close();
    return std::unexpected(Failure{kStatementFailed, "cannot compare the structures: " + describe(patch.error())});
  }
  pair.patch = std::static_pointer_cast<Orvel::MetaModel::MetaSchema>(*patch);
  return pair;
}

Outcome<StructureSynchronizerPtr> SchemaPair::Opened::job_for(const std::vector<std::string>& only,
                                                              bool continuing) const {
  using namespace Orvel::Transform::OptionWord;
  Options options;
  if (continuing) {
    options[Orvel::Transform::option_key(kOption, kResult, kContinue)] = "true";
  }
  if (only.empty()) {
    options.merge(StructureSynchronizer::select_all(patch));
    return make_job(*this, std::move(options));
  }
  for (const std::string& name : only) {
    const bool known = patch && (names_one_of(patch->get_tables(), name) || names_one_of(patch->get_views(), name));
    if (!known) {
      std::fprintf(stderr, "tolvane: %s is no table or view that differs; nothing to do for it\n", name.c_str());
    }
    for (DBObject kind : {DBObject::Table, DBObject::View, DBObject::Function, DBObject::Event}) {
      options[Orvel::Transform::option_key(kOption, Providers::Contracts::to_string(kind), name)] = "";
    }
  }
  return make_job(*this, std::move(options));
}

void SchemaPair::Opened::close() {
  if (source) {
    source->close();
  }
  if (target) {
    target->close();
  }
}

const char* change_word(DataVersion mark) {
  switch (mark) {
    case DataVersion::Insert:
      return "insert";
    case DataVersion::Update:
      return "update";
    case DataVersion::Delete:
      return "delete";
    case DataVersion::Identical:
      return "identical";
    default:
      return "unknown";
  }
}

std::string sync_script(const std::vector<Orvel::Transform::SyncStep>& steps) {
  std::string script;
  for (const auto& step : steps) {
    script += "-- " + std::string(change_word(step.mark)) + " " + Providers::Contracts::to_string(step.kind) + " " +
              step.name + "\n";
    if (step.refusal) {
      std::fprintf(stderr, "tolvane: %s\n", step.refusal->message.c_str());
      script += "-- not possible: " + step.refusal->message + "\n\n";
      continue;
    }
    script += step.text;
    if (!step.text.ends_with("\n")) {
      script += "\n";
    }
    script += "\n";
  }
  return script;
}

}  // namespace Tolvane::Cli
