#pragma once
// A thin hold on SQLite's C interface for the archive: one connection and its
// prepared statements, every failure an EArchiveError with the file and
// SQLite's message. Not part of the archive's interface.
#include <cstdint>
#include <filesystem>
#include <string>

#include "archive/ArchiveError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace Archive {

class SqliteStatement;

enum class SqliteOpen { ReadWrite, Create, ReadOnly };

class SqliteDatabase {
public:
  // Opens (and, with Create, makes) the file; waits up to busyTimeoutMs for another writer's lock.
  SqliteDatabase(const std::filesystem::path& file, SqliteOpen mode, int busyTimeoutMs);
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Runs statements that return no rows.
  void Exec(const std::string& sql, const char* what);
  // Runs them where a failure can be told to no one (a destructor); false when it failed.
  bool ExecQuietly(const std::string& sql) noexcept;
  SqliteStatement Prepare(const std::string& sql, const char* what);
  // The first column of the first row of a query, as text ("" for none).
  std::string QueryText(const std::string& sql, const char* what);
  int64_t QueryInt(const std::string& sql, const char* what);
  // Rows changed by this connection so far.
  int64_t TotalChanges() const;

  // Throws the last failure: what failed, unless SQLite's code tells more
  // (locked, read-only, no database, damaged, full), and SQLite's message.
  [[noreturn]] void Fail(const char* what) const;
  const std::filesystem::path& File() const { return file_; }
  sqlite3* Handle() const { return db_; }

private:
  std::filesystem::path file_;
  sqlite3* db_ = nullptr;
};

class SqliteStatement {
public:
  SqliteStatement(SqliteDatabase& db, sqlite3_stmt* statement, const char* what);
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;
  SqliteStatement& operator=(SqliteStatement&&) = delete;

  // Binds parameters 1, 2, ... in order, from the start again after Reset.
  SqliteStatement& Bind(int64_t value);
  SqliteStatement& Bind(const std::string& value);
  // Steps once: true while it gives a row.
  bool Step();
  // Runs a statement without rows to its end and makes it ready for the next values.
  void Run();
  void Reset();

  int64_t Int(int column) const;
  std::string Text(int column) const;
  // Whether the column holds an integer (Int reads anything else as a number, text as 0).
  bool IsInteger(int column) const;
  // What the column holds where it is no integer: "Text", "Binärdaten", "Kommazahl" or "NULL".
  std::string KindOf(int column) const;
  std::string ColumnName(int column) const;

private:
  SqliteDatabase& db_;
  sqlite3_stmt* statement_;
  const char* what_;
  int nextParameter_ = 1;
};

// One write transaction (BEGIN IMMEDIATE, so that a second writer waits at
// the start instead of failing at the commit); rolled back unless committed.
class SqliteTransaction {
public:
  explicit SqliteTransaction(SqliteDatabase& db);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void Commit();

private:
  SqliteDatabase& db_;
  bool open_ = true;
};

}  // namespace Archive
