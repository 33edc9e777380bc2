#pragma once
// The archive's tables, their version (user_version) and the steps that bring
// a file of an older version up to date. Every table keeps whether a row is
// complete: a complete row is final, a running one (today, this month, this
// year) is replaced by each later view until its period has passed.
#include <cstdint>

#include "archive/Sqlite.h"

namespace Archive {

constexpr int SchemaVersion = 1;
// application_id of an archive file: "PCZN".
constexpr int32_t ArchiveApplicationId = 0x50435A4E;

// Checks that the file is an archive this program can use (or an empty file)
// and brings its tables to SchemaVersion in one transaction.
void PrepareSchema(SqliteDatabase& db);
// Checks, without writing, that the file is an archive whose tables this
// program reads: an empty file or an archive of an older version is none.
void CheckReadableSchema(SqliteDatabase& db);

}  // namespace Archive
