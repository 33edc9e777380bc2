#include "archive/Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace Archive {

namespace {

int OpenFlags(SqliteOpen mode) {
  switch (mode) {
    case SqliteOpen::ReadOnly: return SQLITE_OPEN_READONLY;
    case SqliteOpen::Create: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case SqliteOpen::ReadWrite: break;
  }
  return SQLITE_OPEN_READWRITE;
}

// What a failure means to the user, where SQLite's code says it.
const char* MeaningOf(int code, const char* what) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "Archiv gesperrt (ein anderes Programm schreibt gerade)";
    case SQLITE_READONLY: return "Archiv schreibgeschützt";
    case SQLITE_NOTADB: return "Keine Archivdatei";
    case SQLITE_CORRUPT: return "Archiv beschädigt";
    case SQLITE_FULL: return "Archiv nicht zu schreiben, kein Platz";
    default: return what;
  }
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, SqliteOpen mode, int busyTimeoutMs) : file_(file) {
  const int flags = OpenFlags(mode);
  if (sqlite3_open_v2(Utf8Path(file).c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw EArchiveError(file, "Archiv nicht zu öffnen", reason);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, busyTimeoutMs);
}

SqliteDatabase::~SqliteDatabase() { sqlite3_close(db_); }

void SqliteDatabase::Fail(const char* what) const {
  throw EArchiveError(file_, MeaningOf(sqlite3_extended_errcode(db_), what), sqlite3_errmsg(db_));
}

void SqliteDatabase::Exec(const std::string& sql, const char* what) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(what);
}

bool SqliteDatabase::ExecQuietly(const std::string& sql) noexcept {
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteDatabase::Prepare(const std::string& sql, const char* what) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) Fail(what);
  return SqliteStatement(*this, statement, what);
}

std::string SqliteDatabase::QueryText(const std::string& sql, const char* what) {
  SqliteStatement statement = Prepare(sql, what);
  return statement.Step() ? statement.Text(0) : std::string();
}

int64_t SqliteDatabase::QueryInt(const std::string& sql, const char* what) {
  SqliteStatement statement = Prepare(sql, what);
  return statement.Step() ? statement.Int(0) : 0;
}

int64_t SqliteDatabase::TotalChanges() const { return sqlite3_total_changes64(db_); }

SqliteStatement::SqliteStatement(SqliteDatabase& db, sqlite3_stmt* statement, const char* what)
    : db_(db), statement_(statement), what_(what) {}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_),
      statement_(std::exchange(other.statement_, nullptr)),
      what_(other.what_),
      nextParameter_(other.nextParameter_) {}

SqliteStatement& SqliteStatement::Bind(int64_t value) {
  if (sqlite3_bind_int64(statement_, nextParameter_++, value) != SQLITE_OK) db_.Fail(what_);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(const std::string& value) {
  if (sqlite3_bind_text(statement_, nextParameter_++, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) !=
      SQLITE_OK)
    db_.Fail(what_);
  return *this;
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) db_.Fail(what_);
  return false;
}

void SqliteStatement::Run() {
  while (Step()) {
  }
  Reset();
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  nextParameter_ = 1;
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::string SqliteStatement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

bool SqliteStatement::IsInteger(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_INTEGER; }

std::string SqliteStatement::KindOf(int column) const {
  switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER: return "ganze Zahl";
    case SQLITE_FLOAT: return "Kommazahl";
    case SQLITE_TEXT: return "Text";
    case SQLITE_BLOB: return "Binärdaten";
    default: return "NULL";
  }
}

std::string SqliteStatement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(statement_, column);
  return name != nullptr ? name : std::to_string(column);
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db) {
  db_.Exec("BEGIN IMMEDIATE", "Archiv nicht zu schreiben");
}

SqliteTransaction::~SqliteTransaction() {
  if (open_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
  db_.Exec("COMMIT", "Archiv nicht zu schreiben");
  open_ = false;
}

}  // namespace Archive
