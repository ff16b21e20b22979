#include "history/history.h"

#include <chrono>

#include "history/history_schema.h"
#include "model/figures.h"

namespace tce {
namespace {

int64_t Nanoseconds(TimePoint when) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             when.time_since_epoch())
      .count();
}

TimePoint FromNanoseconds(int64_t ns) {
  return TimePoint(std::chrono::duration_cast<TimePoint::duration>(
      std::chrono::nanoseconds(ns)));
}

// The settings' words, as the record's document writes them.
const char* Word(bool first, const char* yes, const char* no) {
  return first ? yes : no;
}

constexpr char kInsertRun[] =
    "INSERT OR IGNORE INTO runs (server_name, server_host, database, started, "
    "started_ns, ended_ns, server_version, min_compression, min_size_mb, "
    "ignore_no_stats, cardinality, compression, unit, delimiter, owners, "
    "tables, plan_margin, plan_threshold) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, "
    "?16, ?17, ?18)";

void BindRun(SqliteStatement& insert, const RunRecord& r) {
  const RunSettings& s = r.settings;
  insert.Bind(1, r.server.name).Bind(2, r.server.host).Bind(3, r.database);
  insert.Bind(4, RunKeyTime(r.started)).Bind(5, Nanoseconds(r.started));
  insert.Bind(6, Nanoseconds(r.ended)).Bind(7, r.server_version);
  insert.Bind(8, int64_t{s.MinCompressionPct})
      .Bind(9, int64_t{s.MinTableSizeMB})
      .Bind(10, int64_t{s.IgnoreTablesWithoutStats});
  insert.Bind(11, Word(s.UseMaxCardinality, "max", "column"))
      .Bind(12, Word(s.EstimatePageCompression, "page", "row"))
      .Bind(13, Word(s.ShowPageSavings, "pages", "kilobytes"))
      .Bind(14, Word(s.TabDelimited, "tab", "comma"));
  insert.Bind(15, s.OwnerFilter).Bind(16, s.TableFilter);
  if (r.plan) {
    insert.Bind(17, int64_t{r.plan->margin}).Bind(18, int64_t{r.plan->threshold});
  } else {
    insert.BindNull(17).BindNull(18);
  }
}

// The run's own columns, as KeptRun and the record read them.
constexpr char kRunColumns[] =
    "id, server_name, server_host, database, started_ns, ended_ns";

KeptRun KeptRunAt(const SqliteStatement& row) {
  KeptRun run;
  run.id = row.Integer(0);
  run.server = {row.Text(1), row.Text(2)};
  run.database = row.Text(3);
  run.started = FromNanoseconds(row.Integer(4));
  run.ended = FromNanoseconds(row.Integer(5));
  return run;
}

void ReadSettings(const SqliteStatement& row, int first, RunRecord& r) {
  RunSettings& s = r.settings;
  ResetToStartupValues(s);
  s.MinCompressionPct = static_cast<int16_t>(row.Integer(first));
  s.MinTableSizeMB = static_cast<int32_t>(row.Integer(first + 1));
  s.IgnoreTablesWithoutStats = row.Integer(first + 2) != 0;
  s.UseMaxCardinality = row.Text(first + 3) == "max";
  s.EstimatePageCompression = row.Text(first + 4) == "page";
  s.ShowPageSavings = row.Text(first + 5) == "pages";
  s.TabDelimited = row.Text(first + 6) == "tab";
  s.OwnerFilter = row.Text(first + 7);
  s.TableFilter = row.Text(first + 8);
  if (!row.IsNull(first + 9)) {
    r.plan = PlanRule{static_cast<int>(row.Integer(first + 9)),
                      static_cast<int>(row.Integer(first + 10))};
  }
}

}  // namespace

Status History::Open(const std::string& path, std::unique_ptr<History>* out) {
  std::unique_ptr<SqliteFile> file;
  Status status = SqliteFile::Open(path, kBusyMs, &file);
  if (!status.ok()) return status;
  std::unique_ptr<History> history(new History(std::move(file)));
  status = history->Prepare();
  if (status.ok()) *out = std::move(history);
  return status;
}

Status History::Prepare() {
  Status status = PrepareSchema(*file_, kSchemaVersion);
  if (!status.ok()) return status;
  // Write-ahead logging lets a run be written while others read, and keeps
  // the file whole when a writer dies: the log's uncommitted end is
  // dropped at the next open.
  SqliteStatement wal(*file_, "PRAGMA journal_mode = WAL");
  if (wal.Step() != SQLITE_ROW)
    return file_->Failure("the history file cannot be opened for writing");
  return Status();
}

Status History::Keep(const RunRecord& record, int64_t* id, bool* added) {
  if (!record.failure.empty() || !record.complete) {
    return Status::Failure("the run of " + record.database +
                           " did not complete; it is not kept");
  }
  SqliteTransaction transaction(*file_);
  Status status = transaction.Begin();
  if (!status.ok()) return status;
  SqliteStatement insert(*file_, kInsertRun);
  BindRun(insert, record);
  if (!insert.Run()) return file_->Failure("the run could not be written");
  *added = sqlite3_changes(file_->db()) > 0;
  if (!*added) {
    SqliteStatement find(*file_,
                         "SELECT id FROM runs WHERE server_name = ?1 AND "
                         "server_host = ?2 AND database = ?3 AND started = ?4");
    find.Bind(1, record.server.name).Bind(2, record.server.host);
    find.Bind(3, record.database).Bind(4, RunKeyTime(record.started));
    if (find.Step() != SQLITE_ROW) return file_->Failure("the file cannot be read");
    *id = find.Integer(0);
    return Status();
  }
  *id = sqlite3_last_insert_rowid(file_->db());
  status = KeepTables(*id, record);
  if (status.ok()) status = transaction.Commit();
  return status;
}

Status History::KeepTables(int64_t run, const RunRecord& record) {
  SqliteStatement find(*file_,
                       "SELECT id FROM names WHERE owner = ?1 AND name = ?2");
  SqliteStatement add(*file_, "INSERT INTO names (owner, name) VALUES (?1, ?2)");
  SqliteStatement insert(
      *file_,
      "INSERT INTO run_tables (run, seq, name, rows, pages, page_size, "
      "row_length, compressed_row, compressed_page, basis_full, basis_sampled, "
      "basis_none) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
  int64_t seq = 0;
  for (const TableRecord& t : record.tables) {
    find.Reset();
    find.Bind(1, t.owner).Bind(2, t.table);
    int64_t name = 0;
    const int found = find.Step();
    if (found == SQLITE_ROW) {
      name = find.Integer(0);
    } else {
      add.Reset();
      add.Bind(1, t.owner).Bind(2, t.table);
      if (found != SQLITE_DONE || !add.Run())
        return file_->Failure("the run's tables could not be written");
      name = sqlite3_last_insert_rowid(file_->db());
    }
    insert.Reset();
    insert.Bind(1, run).Bind(2, seq++).Bind(3, name);
    insert.Bind(4, t.row_count.raw()).Bind(5, t.pages_used.raw());
    insert.Bind(6, int64_t{t.page_size}).Bind(7, t.row_length.raw());
    insert.Bind(8, t.compressed_length.row.raw())
        .Bind(9, t.compressed_length.page.raw());
    insert.Bind(10, int64_t{t.basis.full})
        .Bind(11, int64_t{t.basis.sampled})
        .Bind(12, int64_t{t.basis.none});
    if (!insert.Run()) return file_->Failure("the run's tables could not be written");
  }
  return Status();
}

Status History::Read(int64_t id, std::shared_ptr<RunRecord>* out) {
  auto record = std::make_shared<RunRecord>();
  SqliteStatement run(
      *file_, std::string("SELECT ") + kRunColumns +
                  ", server_version, min_compression, min_size_mb, "
                  "ignore_no_stats, cardinality, compression, unit, delimiter, "
                  "owners, tables, plan_margin, plan_threshold FROM runs "
                  "WHERE id = ?1");
  run.Bind(1, id);
  const int found = run.Step();
  if (found == SQLITE_DONE)
    return Status::Failure(path() + ": holds no run " + std::to_string(id));
  if (found != SQLITE_ROW) return file_->Failure("the run cannot be read");
  const KeptRun kept = KeptRunAt(run);
  record->server = kept.server;
  record->database = kept.database;
  record->started = kept.started;
  record->ended = kept.ended;
  record->server_version = run.Text(6);
  ReadSettings(run, 7, *record);
  SqliteStatement tables(
      *file_,
      "SELECT owner, n.name, rows, pages, page_size, row_length, "
      "compressed_row, compressed_page, basis_full, basis_sampled, basis_none "
      "FROM run_tables AS t JOIN names AS n ON n.id = t.name WHERE t.run = ?1 "
      "ORDER BY t.seq");
  tables.Bind(1, id);
  int step;
  while ((step = tables.Step()) == SQLITE_ROW) {
    TableRecord& t = record->tables.emplace_back();
    t.owner = tables.Text(0);
    t.table = tables.Text(1);
    t.row_count = Fixed4::FromRaw(tables.Integer(2));
    t.pages_used = Fixed4::FromRaw(tables.Integer(3));
    t.page_size = static_cast<int32_t>(tables.Integer(4));
    t.row_length = Fixed4::FromRaw(tables.Integer(5));
    t.compressed_length.row = Fixed4::FromRaw(tables.Integer(6));
    t.compressed_length.page = Fixed4::FromRaw(tables.Integer(7));
    t.basis = {static_cast<int32_t>(tables.Integer(8)),
               static_cast<int32_t>(tables.Integer(9)),
               static_cast<int32_t>(tables.Integer(10))};
    if (ReachesMinimum(t, record->settings))
      record->listed.push_back(static_cast<int32_t>(record->tables.size() - 1));
  }
  if (step != SQLITE_DONE) return file_->Failure("the run's tables cannot be read");
  *out = std::move(record);
  return Status();
}

Status History::RunsOf(const ServerIdentity& server, const std::string& database,
                       std::vector<KeptRun>* runs) {
  SqliteStatement select(
      *file_, std::string("SELECT ") + kRunColumns +
                  " FROM runs WHERE server_name = ?1 AND server_host = ?2 AND "
                  "database = ?3 ORDER BY started, id");
  select.Bind(1, server.name).Bind(2, server.host).Bind(3, database);
  int step;
  while ((step = select.Step()) == SQLITE_ROW) runs->push_back(KeptRunAt(select));
  if (step != SQLITE_DONE) return file_->Failure("the runs cannot be read");
  return Status();
}

}  // namespace tce
