#include "output/record_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>

#include "model/figures.h"
#include "model/format.h"
#include "model/plan.h"
#include "output/record_document.h"

namespace tce {
namespace {

using namespace std::literals;

// The values of a record's document, each read or refused.
class Values {
 public:
  explicit Values(JsonReader& reader) : r_(reader) {}

  std::string Text() {
    if (r_.Peek() != JsonReader::Kind::kString) r_.Fail("expected a string");
    return r_.String();
  }
  bool Flag() {
    if (r_.Peek() != JsonReader::Kind::kBool) r_.Fail("expected true or false");
    return r_.Bool();
  }
  // A whole number within [low, high].
  int64_t Whole(int64_t low, int64_t high) {
    const std::string_view text = Numeral();
    int64_t value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
      r_.Fail("expected a whole number");
    if (value < low || value > high) r_.Fail("a number out of its range");
    return value;
  }
  // A decimal of at most four places, exactly.
  Fixed4 Decimal() {
    const std::string_view text = Numeral();
    const bool negative = text.front() == '-';
    const size_t point = text.find('.');
    if (text.find_first_of("eE") != std::string_view::npos ||
        (point != std::string_view::npos && text.size() - point - 1 > 4))
      r_.Fail("expected a decimal of at most four places");
    const std::string_view whole =
        text.substr(negative ? 1 : 0, point == std::string_view::npos
                                          ? std::string_view::npos
                                          : point - (negative ? 1 : 0));
    if (whole.size() > 14) r_.Fail("a number out of its range");
    int64_t raw = 0;
    for (char c : whole) raw = raw * 10 + (c - '0');
    std::string places(point == std::string_view::npos ? ""
                                                       : text.substr(point + 1));
    places.resize(4, '0');
    for (char c : places) raw = raw * 10 + (c - '0');
    return Fixed4::FromRaw(negative ? -raw : raw);
  }
  // A member named one of `names`, in `out`: a choice of words.
  int Choice(std::initializer_list<const char*> names) {
    const std::string text = Text();
    int i = 0;
    for (const char* name : names) {
      if (text == name) return i;
      ++i;
    }
    r_.Fail("\"" + text + "\" is not a value this field takes");
  }

  JsonReader& reader() { return r_; }

 private:
  std::string_view Numeral() {
    if (r_.Peek() != JsonReader::Kind::kNumber) r_.Fail("expected a number");
    return r_.Number();
  }
  JsonReader& r_;
};

// Reads an object whose members `each` takes by name; a member `each`
// does not take is skipped. Members in `required` must be there.
template <typename Each>
void ReadObject(Values& v, std::initializer_list<std::string_view> required,
                Each each) {
  JsonReader& r = v.reader();
  if (r.Peek() != JsonReader::Kind::kObject) r.Fail("expected an object");
  r.BeginObject();
  std::string name;
  size_t found = 0;
  while (r.NextMember(&name)) {
    for (std::string_view want : required) found += name == want;
    if (!each(name)) r.Skip();
  }
  if (found != required.size()) {
    std::string names;
    for (std::string_view want : required) names += " " + std::string(want);
    r.Fail("an object lacks one of its members:" + names);
  }
}

template <typename Each>
void ReadArray(Values& v, Each each) {
  JsonReader& r = v.reader();
  if (r.Peek() != JsonReader::Kind::kArray) r.Fail("expected an array");
  r.BeginArray();
  while (r.NextItem()) each();
}

void ReadSettings(Values& v, RunSettings& s) {
  ResetToStartupValues(s);
  ReadObject(v, {"min_compression", "min_size_mb",
                 "ignore_tables_without_statistics", "cardinality",
                 "compression", "unit"},
             [&](const std::string& name) {
               if (name == "min_compression"sv) {
                 s.MinCompressionPct = static_cast<int16_t>(v.Whole(0, 100));
               } else if (name == "min_size_mb"sv) {
                 s.MinTableSizeMB = static_cast<int32_t>(v.Whole(0, 1 << 30));
               } else if (name == "ignore_tables_without_statistics"sv) {
                 s.IgnoreTablesWithoutStats = v.Flag();
               } else if (name == "cardinality"sv) {
                 s.UseMaxCardinality = v.Choice({"max", "column"}) == 0;
               } else if (name == "compression"sv) {
                 s.EstimatePageCompression = v.Choice({"page", "row"}) == 0;
               } else if (name == "unit"sv) {
                 s.ShowPageSavings = v.Choice({"pages", "kilobytes"}) == 0;
               } else if (name == "delimiter"sv) {
                 s.TabDelimited = v.Choice({"tab", "comma"}) == 0;
               } else if (name == "owners"sv) {
                 s.OwnerFilter = v.Text();
               } else if (name == "tables"sv) {
                 s.TableFilter = v.Text();
               } else {
                 return false;
               }
               return true;
             });
}

TimePoint Moment(Values& v) {
  TimePoint when;
  if (!ParseIsoTime(v.Text(), &when))
    v.reader().Fail("expected a date and time as ISO 8601 in UTC");
  return when;
}

void ReadServer(Values& v, ServerIdentity& server) {
  ReadObject(v, {"name", "host"}, [&](const std::string& name) {
    if (name == "name"sv) {
      server.name = v.Text();
    } else if (name == "host"sv) {
      server.host = v.Text();
    } else {
      return false;
    }
    return true;
  });
}

void ReadRecordMember(Values& v, RunRecord& record) {
  ReadObject(v, {"version", "server", "database", "settings", "started",
                 "ended", "complete", "plan"},
             [&](const std::string& name) {
    if (name == "version"sv) {
      if (v.Whole(1, INT32_MAX) > kRecordVersion) {
        v.reader().Fail("the record was written by a newer release (version "
                        "above " + std::to_string(kRecordVersion) + ")");
      }
    } else if (name == "server"sv) {
      ReadServer(v, record.server);
    } else if (name == "database"sv) {
      record.database = v.Text();
    } else if (name == "server_version"sv) {
      record.server_version = v.Text();
    } else if (name == "settings"sv) {
      ReadSettings(v, record.settings);
    } else if (name == "started"sv) {
      record.started = Moment(v);
    } else if (name == "ended"sv) {
      record.ended = Moment(v);
    } else if (name == "complete"sv) {
      record.complete = v.Flag();
    } else if (name == "plan"sv) {
      if (v.reader().Peek() == JsonReader::Kind::kNull) {
        v.reader().Null();
        return true;
      }
      PlanRule rule;
      ReadObject(v, {"margin", "threshold"}, [&](const std::string& key) {
        if (key == "margin"sv) rule.margin = static_cast<int>(v.Whole(0, 100));
        else if (key == "threshold"sv) rule.threshold = static_cast<int>(v.Whole(0, 100));
        else return false;
        return true;
      });
      record.plan = rule;
    } else {
      return false;
    }
    return true;
  });
}

// What a table's entry says beside its figures: checked against them.
struct TableClaims {
  bool listed = false;
  int recommendation = -1;  // -1: no plan given
};

void ReadByMethod(Values& v, ByMethod<Fixed4>& out) {
  ReadObject(v, {"row", "page"}, [&](const std::string& name) {
    if (name == "row"sv) out.row = v.Decimal();
    else if (name == "page"sv) out.page = v.Decimal();
    else return false;
    return true;
  });
}

void ReadBasis(Values& v, StatisticsBasis& basis) {
  ReadObject(v, {"full", "sampled", "none"}, [&](const std::string& name) {
    constexpr int64_t kMost = 1 << 20;
    if (name == "full"sv) basis.full = static_cast<int32_t>(v.Whole(0, kMost));
    else if (name == "sampled"sv) basis.sampled = static_cast<int32_t>(v.Whole(0, kMost));
    else if (name == "none"sv) basis.none = static_cast<int32_t>(v.Whole(0, kMost));
    else return false;
    return true;
  });
}

TableClaims ReadTable(Values& v, TableRecord& t) {
  TableClaims claims;
  ReadObject(v, {"owner", "table", "rows", "pages", "page_size", "row_length",
                 "compressed_length", "basis", "listed"},
             [&](const std::string& name) {
    if (name == "owner"sv) t.owner = v.Text();
    else if (name == "table"sv) t.table = v.Text();
    else if (name == "rows"sv) t.row_count = v.Decimal();
    else if (name == "pages"sv) t.pages_used = v.Decimal();
    else if (name == "page_size"sv) t.page_size = static_cast<int32_t>(v.Whole(INT32_MIN, INT32_MAX));
    else if (name == "row_length"sv) t.row_length = v.Decimal();
    else if (name == "compressed_length"sv) ReadByMethod(v, t.compressed_length);
    else if (name == "basis"sv) ReadBasis(v, t.basis);
    else if (name == "listed"sv) claims.listed = v.Flag();
    else if (name == "plan"sv) {
      ReadObject(v, {"recommendation"}, [&](const std::string& key) {
        if (key != "recommendation") return false;
        claims.recommendation = v.Choice({"page", "row", "leave", "no_statistics"});
        return true;
      });
    } else {
      return false;
    }
    return true;
  });
  return claims;
}

// Lists the tables the settings list, checking what the document says of
// each against its figures.
void CheckTables(JsonReader& r, RunRecord& record,
                 const std::vector<TableClaims>& claims) {
  for (size_t i = 0; i < record.tables.size(); ++i) {
    const TableRecord& table = record.tables[i];
    const bool listed = ReachesMinimum(table, record.settings);
    const std::string name = "the table " + table.owner + "." + table.table;
    if (listed != claims[i].listed)
      r.Fail(name + " is marked as " + (claims[i].listed ? "" : "not ") +
             "listed, against its saving and the minimum");
    if (listed) record.listed.push_back(static_cast<int32_t>(i));
    if (!record.plan) continue;
    if (claims[i].recommendation >= 0 &&
        claims[i].recommendation !=
            static_cast<int>(PlanFor(table, *record.plan).recommendation))
      r.Fail("the plan's line of " + name + " does not follow its rule");
  }
}

// One run's document (or a failed database's entry), at an object.
std::shared_ptr<RunRecord> ReadRun(Values& v) {
  auto record = std::make_shared<RunRecord>();
  bool has_record = false, has_tables = false, failed = false;
  std::vector<TableClaims> claims;
  std::string failed_name;
  ReadObject(v, {}, [&](const std::string& name) {
    if (name == "record"sv) {
      ReadRecordMember(v, *record);
      has_record = true;
    } else if (name == "record_tables"sv) {
      has_tables = true;
      ReadArray(v, [&] {
        record->tables.emplace_back();
        claims.push_back(ReadTable(v, record->tables.back()));
      });
    } else if (name == "error"sv) {
      record->failure = v.Text();
      failed = true;
    } else if (name == "database"sv && !has_record) {
      failed_name = v.Text();
    } else if (name == "server"sv && !has_record) {
      ReadServer(v, record->server);
    } else {
      return false;
    }
    return true;
  });
  if (failed) {
    if (has_tables) v.reader().Fail("a failed database's entry holds tables");
    record->database = failed_name;
    record->complete = false;
    return record;
  }
  if (!has_record || !has_tables) {
    v.reader().Fail(
        "it holds no record of its run (\"record\" and \"record_tables\"); "
        "documents of releases before the record was written cannot be "
        "read: run the estimate again");
  }
  CheckTables(v.reader(), *record, claims);
  return record;
}

}  // namespace

Status ReadRecordDocument(JsonReader& reader, Records* records) {
  Values v(reader);
  try {
    if (reader.Peek() != JsonReader::Kind::kObject)
      reader.Fail("it is not a JSON object");
    // A document of several databases holds only its list; one run's holds
    // its record. Both are objects, told apart by their members.
    Records read;
    auto record = std::make_shared<RunRecord>();
    bool has_record = false, has_tables = false, has_list = false;
    std::vector<TableClaims> claims;
    reader.BeginObject();
    std::string name;
    while (reader.NextMember(&name)) {
      if (name == "databases"sv) {
        has_list = true;
        ReadArray(v, [&] { read.push_back(ReadRun(v)); });
      } else if (name == "record"sv) {
        has_record = true;
        ReadRecordMember(v, *record);
      } else if (name == "record_tables"sv) {
        has_tables = true;
        ReadArray(v, [&] {
          record->tables.emplace_back();
          claims.push_back(ReadTable(v, record->tables.back()));
        });
      } else {
        reader.Skip();
      }
    }
    reader.End();
    if (has_list && (has_record || has_tables))
      reader.Fail("it holds both a list of databases and a run");
    if (!has_list) {
      if (!has_record || !has_tables) {
        reader.Fail(
            "it holds no record of its run (\"record\" and "
            "\"record_tables\"); documents of releases before the record was "
            "written cannot be read: run the estimate again");
      }
      CheckTables(reader, *record, claims);
      read.push_back(std::move(record));
    }
    for (auto& one : read) records->push_back(std::move(one));
    return Status();
  } catch (const JsonError& error) {
    return Status::Failure(std::string("not a document of tarvex-compest-batch "
                                       "--json: ") + error.what());
  }
}

Status ReadRecordFile(const std::string& path, Records* records,
                      int64_t largest) {
  // Opened without waiting (a FIFO without a writer must not hang us) and
  // judged before a byte is read.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return Status::FileFailure(path + ": cannot be read (" + std::strerror(errno) + ")");
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Status::Failure(path + ": not a regular file (a run's JSON document "
                           "is read from a file)");
  }
  if (info.st_size > largest) {
    close(fd);
    return Status::Failure(path + ": larger than " +
                           std::to_string(largest >> 20) +
                           " MB, more than a run's document");
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return Status::FileFailure(path + ": cannot be read");
  }
  Status status;
  try {
    JsonReader reader(file);
    status = ReadRecordDocument(reader, records);
  } catch (const std::bad_alloc&) {
    status = Status::Failure(
        path + ": there is not enough memory to read its tables");
  }
  std::fclose(file);
  if (!status.ok()) {
    Status named = Status::Failure(path + ": " + status.messages().front());
    return named;
  }
  return status;
}

}  // namespace tce
