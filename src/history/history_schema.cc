#include "history/history_schema.h"

#include <string>
#include <vector>

#include "history/history_rows.h"

namespace tce {
namespace {

constexpr char kCreateVersion1[] = R"sql(
CREATE TABLE runs (
  id INTEGER PRIMARY KEY,
  server_name TEXT NOT NULL,
  server_host TEXT NOT NULL,
  database TEXT NOT NULL,
  started TEXT NOT NULL,
  started_ns INTEGER NOT NULL,
  ended_ns INTEGER NOT NULL,
  server_version TEXT NOT NULL,
  min_compression INTEGER NOT NULL,
  min_size_mb INTEGER NOT NULL,
  ignore_no_stats INTEGER NOT NULL,
  cardinality TEXT NOT NULL,
  compression TEXT NOT NULL,
  unit TEXT NOT NULL,
  delimiter TEXT NOT NULL,
  owners TEXT NOT NULL,
  tables TEXT NOT NULL,
  plan_margin INTEGER,
  plan_threshold INTEGER,
  UNIQUE (server_name, server_host, database, started));
CREATE TABLE names (
  id INTEGER PRIMARY KEY,
  owner TEXT NOT NULL,
  name TEXT NOT NULL,
  UNIQUE (owner, name));
CREATE TABLE run_tables (
  run INTEGER NOT NULL REFERENCES runs (id),
  seq INTEGER NOT NULL,
  name INTEGER NOT NULL REFERENCES names (id),
  rows INTEGER NOT NULL,
  pages INTEGER NOT NULL,
  page_size INTEGER NOT NULL,
  row_length INTEGER NOT NULL,
  compressed_row INTEGER NOT NULL,
  compressed_page INTEGER NOT NULL,
  basis_full INTEGER NOT NULL,
  basis_sampled INTEGER NOT NULL,
  basis_none INTEGER NOT NULL,
  PRIMARY KEY (run, seq)) WITHOUT ROWID;
)sql";

// Version 2: each run's totals over the tables it read, so that a trend
// reads one line per run.
constexpr char kCreateVersion2[] = R"sql(
CREATE TABLE run_totals (
  run INTEGER PRIMARY KEY REFERENCES runs (id),
  tables INTEGER NOT NULL,
  size_bytes REAL NOT NULL,
  saved_row_bytes REAL NOT NULL,
  saved_page_bytes REAL NOT NULL);
)sql";

// The totals of every run kept before they were kept beside it.
Status AddTotals(SqliteFile& file) {
  Status status = file.Execute(kCreateVersion2);
  std::vector<int64_t> ids;
  SqliteStatement select(file, "SELECT id FROM runs ORDER BY id");
  int step = SQLITE_DONE;
  while (status.ok() && (step = select.Step()) == SQLITE_ROW)
    ids.push_back(select.Integer(0));
  if (status.ok() && step != SQLITE_DONE)
    status = file.Failure("the runs cannot be read");
  for (size_t i = 0; status.ok() && i < ids.size(); ++i) {
    RunRecord record;
    status = ReadRunRows(file, ids[i], &record);
    if (status.ok()) status = InsertTotals(file, ids[i], TotalsOfRun(record));
  }
  return status;
}

Status Refuse(const SqliteFile& file, const std::string& why) {
  return Status::Failure(file.path() + ": " + why);
}

// The version and identity the file's header holds, and whether it holds
// any table at all.
struct Header {
  int64_t version = 0;
  int64_t application = 0;
  int64_t objects = 0;
};

Status ReadHeader(SqliteFile& file, Header* header) {
  Status status = file.QueryInteger("PRAGMA user_version", &header->version);
  if (status.ok())
    status = file.QueryInteger("PRAGMA application_id", &header->application);
  if (status.ok())
    status = file.QueryInteger("SELECT count(*) FROM sqlite_schema",
                               &header->objects);
  if (!status.ok()) {
    return Refuse(file, "not a history file (" +
                            std::string(sqlite3_errmsg(file.db())) + ")");
  }
  return Status();
}

Status SetVersion(SqliteFile& file, int version) {
  const std::string sql = "PRAGMA application_id = " +
                          std::to_string(kHistoryApplicationId) +
                          "; PRAGMA user_version = " + std::to_string(version);
  return file.Execute(sql.c_str());
}

// Brings a file of `from` up to `to`, one version at a time.
Status Upgrade(SqliteFile& file, int64_t from, int to) {
  Status status;
  for (int64_t version = from; status.ok() && version < to; ++version) {
    if (version == 1) {
      status = AddTotals(file);
    } else {
      status = Refuse(file, "a history of schema version " +
                                std::to_string(version) +
                                " cannot be upgraded");
    }
  }
  return status;
}

// Whether the header says the file is ready for this release.
bool Ready(const Header& header, int current_version) {
  return header.application == kHistoryApplicationId &&
         header.version == current_version;
}

}  // namespace

namespace {

// Refuses a file that holds tables but is not a history of this release
// or an earlier one.
Status RefuseOthers(const SqliteFile& file, const Header& header,
                    int current_version) {
  if (header.application != kHistoryApplicationId) {
    return Refuse(file,
                  "not a history file of tarvex-compest (an SQLite file of "
                  "another program); name a new file or one this tool made");
  }
  if (header.version > current_version) {
    return Refuse(file, "the history file was written by a newer release "
                        "(schema version " + std::to_string(header.version) +
                        "; this release reads up to version " +
                        std::to_string(current_version) +
                        "); use that release, or another file");
  }
  return Status();
}

}  // namespace

Status PrepareSchema(SqliteFile& file, int current_version, bool writable,
                     bool may_create) {
  Header header;
  Status status = ReadHeader(file, &header);
  if (!status.ok() || Ready(header, current_version)) return status;
  const bool empty = header.version == 0 && header.objects == 0;
  if (empty && !may_create) return Refuse(file, "no run is kept in it yet");
  if (!writable) {
    // Nothing can be made or upgraded in a file that is only read.
    if (empty) return Refuse(file, "no run is kept in it yet");
    status = RefuseOthers(file, header, current_version);
    if (!status.ok()) return status;
    return Refuse(file, "written by an earlier release; it is upgraded when "
                        "a run is kept in it, which needs write access");
  }
  // Made or upgraded under the write lock, the header read again under it:
  // another program may have done it meanwhile.
  SqliteTransaction transaction(file);
  status = transaction.Begin();
  if (status.ok()) status = ReadHeader(file, &header);
  if (!status.ok() || Ready(header, current_version)) return status;
  if (header.version == 0 && header.objects == 0) {
    status = file.Execute(kCreateVersion1);
    if (status.ok()) status = Upgrade(file, 1, current_version);
  } else {
    status = RefuseOthers(file, header, current_version);
    if (status.ok()) status = Upgrade(file, header.version, current_version);
  }
  if (status.ok()) status = SetVersion(file, current_version);
  if (status.ok()) status = transaction.Commit();
  return status;
}

}  // namespace tce
