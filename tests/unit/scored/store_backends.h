// The two kinds of store for the tests that run against both: a fresh
// SQLite file, or a fresh database on one PostgreSQL server that the test
// program starts when a test first needs it and stops at its end.
#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "postgres_server.h"
#include "score_store.h"

namespace scored {

enum class Backend { kSqlite, kPostgres };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kSqlite ? "Sqlite" : "Postgres";
}

class BackendTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "scored-store-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    if (GetParam() == Backend::kSqlite) {
      db_ = (dir_ / "scores.db").string();
      return;
    }
    if (!testing_support::PostgresServer::Available()) GTEST_SKIP() << testing_support::PostgresServer::kMissing;
    testing_support::PostgresServer& server = Server();
    ASSERT_GT(server.Port(), 0) << "PostgreSQL did not start:\n" << server.Log();
    const std::string name = server.CreateDatabase();
    ASSERT_FALSE(name.empty()) << server.Log();
    db_ = server.Uri(name);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs `sql` on the store behind the server's back; false when it failed.
  bool Raw(const std::string& sql) const {
    if (GetParam() == Backend::kSqlite) {
      sqlite3* db = nullptr;
      const bool done = sqlite3_open(db_.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
      sqlite3_close(db);
      return done;
    }
    PGconn* conn = PQconnectdb(db_.c_str());
    PGresult* result = PQexec(conn, sql.c_str());
    const bool done = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    PQclear(result);
    PQfinish(conn);
    return done;
  }

  static testing_support::PostgresServer& Server() {
    // fsync stays on: the durability of commits is part of what is tested.
    static const std::unique_ptr<testing_support::PostgresServer> server = [] {
      auto started = std::make_unique<testing_support::PostgresServer>();
      started->Start();
      return started;
    }();
    return *server;
  }

  std::filesystem::path dir_;
  std::string db_;
};

}  // namespace scored
