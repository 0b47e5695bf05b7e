#include <regex>

#include "orvel/contracts/database/cachable.hpp"
#include "orvel/supports/database/data_cache.hpp"
#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/sqlite/sqlite_statement.hpp"
#include "orvel/supports/database/sqlite_inspector.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"
#include "tests/orvel/supports/database/fake_provider.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using Contracts::Database::DBStatus;
using Contracts::Database::IConnection;
using Providers::Contracts::TableModel;

// What a connection announces: status notifications with the status of the
// moment, and the two signals.
struct Observer {
  std::vector<DBStatus> statuses;
  int opened = 0;
  int closed = 0;

  explicit Observer(ConnectionImpl& connection) {
    connection.signal_notify().connect([this, &connection](std::string_view property) {
      if (property == "status") {
        statuses.push_back(connection.get_status());
      }
    });
    connection.signal_opened().connect([this, &connection](IConnection& sender) {
      EXPECT_EQ(&sender, static_cast<IConnection*>(&connection));
      ++opened;
    });
    connection.signal_closed().connect([this, &connection](IConnection& sender) {
      EXPECT_EQ(&sender, static_cast<IConnection*>(&connection));
      ++closed;
    });
  }
};

using SQLiteConnectionTest = ConnectionTest;

TEST_F(SQLiteConnectionTest, OpenCloseAndReopen) {
  auto connection = SQLiteConnection::create();
  Observer seen(*connection);
  EXPECT_EQ(connection->get_status(), DBStatus::Unknown);
  EXPECT_EQ(connection->get_version(), "");
  EXPECT_EQ(connection->get_server(), nullptr);
  EXPECT_EQ(connection->type().name(), "TolvaneOrvelSupportsDatabaseSQLiteConnection");

  // Closing what was never opened changes nothing and says nothing.
  connection->close();
  EXPECT_EQ(connection->get_status(), DBStatus::Unknown);
  EXPECT_TRUE(seen.statuses.empty());
  EXPECT_EQ(seen.closed, 0);

  auto server = profile("open.db");
  ASSERT_TRUE(connection->open(server, nullptr));
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  EXPECT_EQ(seen.statuses, std::vector<DBStatus>{DBStatus::Opened});
  EXPECT_EQ(seen.opened, 1);
  EXPECT_EQ(connection->get_server(), server);
  EXPECT_TRUE(connection->get_provider()->get_is_opened());

  // The version is the engine's own.
  EXPECT_TRUE(std::regex_match(connection->get_version(), std::regex("3\\.[0-9]+\\.[0-9]+"))) << connection->get_version();
  auto engine = connection->execute_as_scalar("SELECT sqlite_version()", false);
  ASSERT_TRUE(engine.has_value());
  EXPECT_EQ(connection->get_version(), (*engine)->to_string());
  // So are the generic property reads.
  EXPECT_EQ(std::get<std::string>(*connection->get_property("version")), connection->get_version());
  EXPECT_EQ(std::get<std::int64_t>(*connection->get_property("status")), static_cast<std::int64_t>(DBStatus::Opened));

  auto cache = connection->cache();
  cache->append("key", "value");
  auto statement = connection->statement();
  connection->close();
  EXPECT_EQ(connection->get_status(), DBStatus::Closed);
  EXPECT_EQ(seen.statuses, (std::vector<DBStatus>{DBStatus::Opened, DBStatus::Closed}));
  EXPECT_EQ(seen.closed, 1);
  EXPECT_FALSE(connection->get_provider()->get_is_opened());
  // The cache is emptied, not replaced; the collaborators stay.
  EXPECT_EQ(connection->cache(), cache);
  EXPECT_EQ(cache->lookup("key"), std::nullopt);
  EXPECT_EQ(connection->statement(), statement);

  connection->close();
  EXPECT_EQ(seen.closed, 1);

  // Reopening opens the stored profile again.
  ASSERT_TRUE(connection->reopen());
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  EXPECT_EQ(seen.opened, 2);
  EXPECT_EQ(connection->get_server(), server);
  EXPECT_TRUE(connection->execute_no_query("CREATE TABLE t(a)", false));
}

TEST_F(SQLiteConnectionTest, ProviderFailuresPassThroughUnchanged) {
  auto connection = SQLiteConnection::create();
  Observer seen(*connection);

  auto missing_folder = connection->open(profile("no/such/folder/x.db"), nullptr);
  ASSERT_FALSE(missing_folder.has_value());
  EXPECT_EQ(missing_folder.error(), (Core::Error{"SQLite", 14, "unable to open database file"}));
  EXPECT_EQ(connection->get_status(), DBStatus::Failed);
  EXPECT_EQ(seen.opened, 0);
  EXPECT_EQ(connection->get_version(), "");

  Tolvane::Testing::write_text(m_dir.file("notes.txt"), std::string(4096, 'x'));
  auto not_a_database = connection->open(profile("notes.txt"), nullptr);
  ASSERT_FALSE(not_a_database.has_value());
  EXPECT_EQ(not_a_database.error(), (Core::Error{"SQLite", 26, "file is not a database"}));
  EXPECT_EQ(connection->get_status(), DBStatus::Failed);
  EXPECT_NE(main_log().find("SQL: Failed to open connection: file is not a database"), std::string::npos);

  ASSERT_TRUE(connection->open(profile("good.db"), nullptr));
  const Core::Error no_table{"SQLite", 1, "no such table: missing"};
  auto count = connection->execute_no_query("INSERT INTO missing VALUES (1)", false);
  ASSERT_FALSE(count.has_value());
  EXPECT_EQ(count.error(), no_table);
  auto model = connection->execute_as_model("SELECT * FROM missing", false);
  ASSERT_FALSE(model.has_value());
  EXPECT_EQ(model.error(), no_table);
  auto scalar = connection->execute_as_scalar("SELECT a FROM missing", false);
  ASSERT_FALSE(scalar.has_value());
  EXPECT_EQ(scalar.error(), no_table);
  auto reader = connection->execute_reader("SELECT a FROM missing");
  ASSERT_FALSE(reader.has_value());
  EXPECT_EQ(reader.error(), no_table);
  // A failed statement leaves the connection as it was.
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);

  // A missing profile is the caller's mistake.
  EXPECT_TRUE(connection->open(nullptr, nullptr).has_value());
  EXPECT_TRUE(m_log.has_critical("server != NULL"));
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);

  connection->close();
  auto script = connection->execute("SELECT 1;", false);
  ASSERT_FALSE(script.has_value());
  EXPECT_EQ(script.error(), (Core::Error{"SQLite", -1, "No database is open."}));
}

TEST_F(SQLiteConnectionTest, SynchronousExecutionAndItsLog) {
  auto connection = open("run.db");
  ASSERT_TRUE(connection->execute_no_query("CREATE TABLE t(a, b)", false));
  auto inserted = connection->execute_no_query("INSERT INTO t VALUES (1, 'x'), (2, NULL), (3, 'z')", true);
  ASSERT_TRUE(inserted.has_value());
  EXPECT_EQ(*inserted, 3);

  auto model = connection->execute_as_model("SELECT a, b FROM t ORDER BY a", false);
  ASSERT_TRUE(model.has_value());
  EXPECT_EQ((*model)->get_rows().size(), 3u);
  auto scalar = connection->execute_as_scalar("SELECT b FROM t WHERE a = 3", false);
  ASSERT_TRUE(scalar.has_value());
  EXPECT_EQ((*scalar)->to_string(), "z");
  auto reader = connection->execute_reader("SELECT a FROM t ORDER BY a");
  ASSERT_TRUE(reader.has_value());
  auto first = (*reader)->get_int64(0);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, 1);
  (*reader)->close();

  auto results = connection->execute("UPDATE t SET b = 'y' WHERE a = 2; SELECT * FROM t; SELECT * FROM nowhere;", false);
  ASSERT_TRUE(results.has_value());
  ASSERT_EQ(results->size(), 3u);
  EXPECT_TRUE(std::dynamic_pointer_cast<TableModel>((*results)[1]));

  const std::string log = main_log();
  for (const char* line : {"SQL: INSERT INTO t VALUES (1, 'x'), (2, NULL), (3, 'z')", "affected rows: 3",
                           "SQL: SELECT a FROM t ORDER BY a", "affected rows: 0", "affected rows: true",
                           "SQL: SELECT sqlite_version();"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  // The lines carry the connection's own key; a failure is not an info line.
  EXPECT_EQ(log.find("affected rows: -1"), std::string::npos);
}

TEST_F(SQLiteConnectionTest, TransactionsRunOnTheOpenedProvider) {
  auto connection = open("tx.db");
  ASSERT_TRUE(connection->execute_no_query("CREATE TABLE t(a)", false));

  auto started = connection->transaction();
  ASSERT_TRUE(started.has_value());
  EXPECT_TRUE(*started);
  ASSERT_TRUE(connection->execute_no_query("INSERT INTO t VALUES (1)", false));
  ASSERT_TRUE(connection->rollback());
  ASSERT_TRUE(connection->transaction());
  ASSERT_TRUE(connection->execute_no_query("INSERT INTO t VALUES (2)", false));
  ASSERT_TRUE(connection->commit());
  auto rows = connection->execute_as_scalar("SELECT group_concat(a) FROM t", false);
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ((*rows)->to_string(), "2");
}

TEST_F(ConnectionTest, TransactionsOnAClosedProviderAreRefused) {
  auto provider = FakeProvider::create();
  auto connection = FakeConnection::create(provider);

  auto started = connection->transaction();
  ASSERT_TRUE(started.has_value());
  EXPECT_FALSE(*started);
  EXPECT_TRUE(connection->commit().has_value());
  EXPECT_TRUE(connection->rollback().has_value());
  EXPECT_EQ(provider->calls, 0);
  std::size_t refusals = 0;
  for (const auto& line : m_log.lines()) {
    refusals += line.level == G_LOG_LEVEL_CRITICAL && line.message.find("m_connection.is_opened") != std::string::npos;
  }
  EXPECT_EQ(refusals, 3u);

  provider->opened = true;
  EXPECT_TRUE(connection->transaction().value_or(false));
  EXPECT_TRUE(connection->commit());
  EXPECT_TRUE(connection->rollback());
  EXPECT_EQ(provider->calls, 3);
}

TEST_F(ConnectionTest, CollaboratorsAreMadeOnceAndKept) {
  auto connection = SQLiteConnection::create();
  auto formatter = connection->formatter();
  auto cache = connection->cache();
  auto statement = connection->statement();
  auto inspector = connection->inspector();
  ASSERT_TRUE(formatter && cache && statement && inspector);
  EXPECT_EQ(connection->formatter(), formatter);
  EXPECT_EQ(connection->cache(), cache);
  EXPECT_EQ(connection->statement(), statement);
  EXPECT_EQ(connection->inspector(), inspector);
  EXPECT_TRUE(std::dynamic_pointer_cast<SQLiteStatement>(statement));
  EXPECT_TRUE(std::dynamic_pointer_cast<DataCache>(cache));
  auto inspecting = std::dynamic_pointer_cast<SQLiteInspector>(inspector);
  ASSERT_TRUE(inspecting);
  EXPECT_EQ(inspecting->get_connection(), connection.get());

  auto formatting = std::dynamic_pointer_cast<Formatter>(formatter);
  ASSERT_TRUE(formatting);
  EXPECT_EQ(formatting->get_option("LINE_START"),
            "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER TABLE,DELETE "
            "FROM,UNION ALL,UNION,EXCEPT,INTERSECT");
  EXPECT_EQ(formatting->get_option("LINE_BREAK"),
            "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND");
  // Configured once: a caller's own setting is not overwritten on the next request.
  formatter->option("LINE_BREAK", "AND");
  EXPECT_EQ(std::dynamic_pointer_cast<Formatter>(connection->formatter())->get_option("LINE_BREAK"), "AND");

  // The generic connection makes only what it knows.
  auto generic = FakeConnection::create(FakeProvider::create());
  EXPECT_EQ(generic->statement(), nullptr);
  EXPECT_EQ(generic->inspector(), nullptr);
  EXPECT_TRUE(generic->formatter());
  EXPECT_EQ(generic->cache(), generic->cache());
}

TEST_F(ConnectionTest, AFailedVersionReadLeavesTheProviderOpenAndTheStatusFailed) {
  auto provider = FakeProvider::create();
  provider->failing = false;
  auto connection = FakeConnection::create(provider);
  Observer seen(*connection);
  connection->version_failure = Core::Error{"SQLite", 5, "database is locked"};

  auto opened = connection->open(profile("fake.db"), nullptr);
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error(), *connection->version_failure);
  EXPECT_EQ(connection->get_status(), DBStatus::Failed);
  // The status passed through Opened on the way.
  EXPECT_EQ(seen.statuses, (std::vector<DBStatus>{DBStatus::Opened, DBStatus::Failed}));
  EXPECT_EQ(seen.opened, 0);
  EXPECT_TRUE(provider->get_is_opened());

  connection->version_failure.reset();
  ASSERT_TRUE(connection->reopen());
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  EXPECT_EQ(connection->get_version(), "fake 1.0");
  EXPECT_EQ(seen.opened, 1);

  // A tag is kept for the caller, without keeping it alive.
  auto tag = Providers::Contracts::Server::create();
  ASSERT_TRUE(connection->open(profile("fake.db"), tag));
  EXPECT_EQ(connection->get_tag(), tag);
  tag.reset();
  EXPECT_EQ(connection->get_tag(), nullptr);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
