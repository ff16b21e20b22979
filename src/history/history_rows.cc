#include "history/history_rows.h"

#include <chrono>

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
  insert.Bind(1, r.server.name).Bind(2, r.server.host);
  insert.Bind(3, KeptDatabaseName(r.database));
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

Status ReadTableRows(SqliteFile& file, int64_t id, RunRecord& record) {
  SqliteStatement tables(
      file,
      "SELECT owner, n.name, rows, pages, page_size, row_length, "
      "compressed_row, compressed_page, basis_full, basis_sampled, basis_none "
      "FROM run_tables AS t JOIN names AS n ON n.id = t.name WHERE t.run = ?1 "
      "ORDER BY t.seq");
  tables.Bind(1, id);
  int step;
  while ((step = tables.Step()) == SQLITE_ROW) {
    TableRecord& t = record.tables.emplace_back();
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
    if (ReachesMinimum(t, record.settings))
      record.listed.push_back(static_cast<int32_t>(record.tables.size() - 1));
  }
  if (step != SQLITE_DONE) return file.Failure("the run's tables cannot be read");
  return Status();
}

}  // namespace

Status InsertRun(SqliteFile& file, const RunRecord& record, int64_t* id,
                 bool* added) {
  SqliteStatement insert(file, kInsertRun);
  BindRun(insert, record);
  if (!insert.Run()) return file.Failure("the run could not be written");
  *added = sqlite3_changes(file.db()) > 0;
  if (*added) {
    *id = sqlite3_last_insert_rowid(file.db());
    return Status();
  }
  SqliteStatement find(file,
                       "SELECT id FROM runs WHERE server_name = ?1 AND "
                       "server_host = ?2 AND database = ?3 AND started = ?4");
  find.Bind(1, record.server.name).Bind(2, record.server.host);
  find.Bind(3, KeptDatabaseName(record.database));
  find.Bind(4, RunKeyTime(record.started));
  if (find.Step() != SQLITE_ROW) return file.Failure("the file cannot be read");
  *id = find.Integer(0);
  return Status();
}

Status InsertTables(SqliteFile& file, int64_t run, const RunRecord& record) {
  SqliteStatement find(file,
                       "SELECT id FROM names WHERE owner = ?1 AND name = ?2");
  SqliteStatement add(file, "INSERT INTO names (owner, name) VALUES (?1, ?2)");
  SqliteStatement insert(
      file,
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
      // Said before another statement's reset clears SQLite's last error.
      if (found != SQLITE_DONE)
        return file.Failure("the run's tables could not be written");
      add.Reset();
      add.Bind(1, t.owner).Bind(2, t.table);
      if (!add.Run()) return file.Failure("the run's tables could not be written");
      name = sqlite3_last_insert_rowid(file.db());
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
    if (!insert.Run()) return file.Failure("the run's tables could not be written");
  }
  return Status();
}

Status InsertTotals(SqliteFile& file, int64_t run, const RunTotals& totals) {
  SqliteStatement insert(
      file,
      "INSERT OR REPLACE INTO run_totals (run, tables, size_bytes, "
      "saved_row_bytes, saved_page_bytes) VALUES (?1, ?2, ?3, ?4, ?5)");
  insert.Bind(1, run).Bind(2, totals.tables).Bind(3, totals.size_bytes);
  insert.Bind(4, totals.saved_bytes.row).Bind(5, totals.saved_bytes.page);
  if (!insert.Run()) return file.Failure("the run's totals could not be written");
  return Status();
}

Status ReadRunRows(SqliteFile& file, int64_t id, RunRecord* record) {
  SqliteStatement run(
      file,
      "SELECT server_name, server_host, database, started_ns, ended_ns, "
      "server_version, min_compression, min_size_mb, ignore_no_stats, "
      "cardinality, compression, unit, delimiter, owners, tables, plan_margin, "
      "plan_threshold FROM runs WHERE id = ?1");
  run.Bind(1, id);
  const int found = run.Step();
  if (found == SQLITE_DONE) {
    return Status::Failure(file.path() + ": holds no run " +
                           std::to_string(id));
  }
  if (found != SQLITE_ROW) return file.Failure("the run cannot be read");
  record->server = {run.Text(0), run.Text(1)};
  record->database = run.Text(2);
  record->started = FromNanoseconds(run.Integer(3));
  record->ended = FromNanoseconds(run.Integer(4));
  record->server_version = run.Text(5);
  ReadSettings(run, 6, *record);
  return ReadTableRows(file, id, *record);
}

std::string KeptRunQuery(const std::string& rest) {
  return "SELECT r.id, server_name, server_host, database, started_ns, "
         "ended_ns, compression, t.tables, size_bytes, saved_row_bytes, "
         "saved_page_bytes FROM runs AS r JOIN run_totals AS t ON t.run = r.id " +
         rest;
}

KeptRun KeptRunAt(const SqliteStatement& row) {
  KeptRun run;
  run.id = row.Integer(0);
  run.server = {row.Text(1), row.Text(2)};
  run.database = row.Text(3);
  run.started = FromNanoseconds(row.Integer(4));
  run.ended = FromNanoseconds(row.Integer(5));
  run.method = row.Text(6) == "row" ? Method::kRow : Method::kPage;
  run.totals.tables = row.Integer(7);
  run.totals.size_bytes = row.Real(8);
  run.totals.saved_bytes.row = row.Real(9);
  run.totals.saved_bytes.page = row.Real(10);
  return run;
}

}  // namespace tce
