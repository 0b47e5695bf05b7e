// tolvane doc <database> [-o FILE] [--format html|markdown] [--title TEXT] ...

#include <glib.h>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/data/documents/html_document.hpp"
#include "orvel/supports/data/documents/markdown_document.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/output_stream.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::MetaModel::MetaDatabase;
using Orvel::Supports::Data::Documents::Document;

struct DocArguments {
  OpenRequest request;
  std::string output;
  std::string format;
  Orvel::Contracts::Data::Configuration configuration;
  bool title_given = false;
};

// The format asked for, else the output file's: ".md" and ".markdown" are
// Markdown, anything else HTML.
std::string format_of(const DocArguments& arguments) {
  if (!arguments.format.empty()) {
    return arguments.format;
  }
  return arguments.output.ends_with(".md") || arguments.output.ends_with(".markdown") ? "markdown" : "html";
}

// How the document names the database: a file by its name, a profile as given.
std::string database_name(const std::string& database) {
  std::string path = database;
  if (path.starts_with("file:")) {
    path = path.substr(5, path.find('?') == std::string::npos ? std::string::npos : path.find('?') - 5);
  }
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) {
    return database;
  }
  return Core::take_std(g_path_get_basename(path.c_str()));
}

int run_doc(Session& session, DocArguments arguments) {
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  const std::string name = database_name(arguments.request.database);
  auto database = MetaDatabase::with_name(name);
  auto filled = (*connection)->adapter()->fill_meta_database(database, true);
  (*connection)->close();
  if (!filled) {
    return report(Failure{kStatementFailed, "cannot read the structure of " + arguments.request.database + ": " +
                                                describe(filled.error())});
  }
  std::size_t objects = 0;
  for (const auto& schema : database->get_schemas()) {
    for (const auto& table : schema->get_tables()) {
      if (!table->has_data("FILLED")) {
        std::fprintf(stderr, "tolvane: warning: %s could not be read completely (see the log)\n",
                     table->get_name().c_str());
      }
    }
    objects += schema->get_tables().size() + schema->get_views().size();
  }
  if (!arguments.title_given) {
    arguments.configuration.title = name;
  }
  std::shared_ptr<Document> document;
  if (format_of(arguments) == "markdown") {
    document = Orvel::Supports::Data::Documents::MarkdownDocument::create();
  } else {
    document = Orvel::Supports::Data::Documents::HtmlDocument::create();
  }
  if (arguments.output.empty() || arguments.output == "-") {
    OutputStream::standard_output().write(document->render(*database, arguments.configuration));
    return finish_output(kSuccess);
  }
  if (auto produced = document->produce(database, arguments.output, arguments.configuration); !produced) {
    return report(Failure{kInputFailure, "cannot write " + arguments.output + " (it is unchanged): " +
                                             describe(produced.error())});
  }
  std::fprintf(stderr, "%zu tables and views documented in %s\n", objects, arguments.output.c_str());
  return kSuccess;
}

}  // namespace

Runner add_doc_command(CLI::App& app) {
  auto arguments = std::make_shared<DocArguments>();
  CLI::App* command = app.add_subcommand("doc", "Document a database as an HTML page or in Markdown");
  command->footer(
      "Read the structure of a database and write its documentation: an index of every table and view,\n"
      "and for each its columns (type, length, scale, null, primary key, default, comment) with the\n"
      "indexes, foreign keys and triggers of a table or the definition of a view. HTML is one\n"
      "self-contained page that a browser opens directly; Markdown reads well on a code-hosting site.\n"
      "Names and comments are shown as text, whatever they hold. The file is replaced only when the\n"
      "whole document is written; without -o the document goes to standard output.");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("-o,--output", arguments->output, "The file to write (default: standard output)");
  command->add_option("--format", arguments->format, "html or markdown (default: by the file's extension, else html)")
      ->check(CLI::IsMember({"html", "markdown"}));
  command->add_option("--title", arguments->configuration.title, "Title of the document (default: the database)")
      ->each([arguments](const std::string&) { arguments->title_given = true; });
  command->add_option("--description", arguments->configuration.description, "A description under the title");
  command->add_option("--data-version", arguments->configuration.data_version, "The data version shown under it");
  command->add_option("--footer", arguments->configuration.footer_text, "HTML: the text of a footer link");
  command->add_option("--footer-link", arguments->configuration.footer_link, "HTML: where the footer links to");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_doc(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
