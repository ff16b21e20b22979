#include "history/changes_output.h"

#include <array>

#include "base/number_text.h"
#include "output/record_document.h"

namespace tce {
namespace {

Value Bytes(double bytes) { return Value::Number(RoundHalfEven(bytes)); }

Value Recommendation(const TableRecord* side, Recommendation r) {
  return side == nullptr ? Value::Null()
                         : Value::Text(RecommendationKey(static_cast<int>(r)));
}

// One changed table as fields; its texts live as long as it does.
class ChangeFields {
 public:
  explicit ChangeFields(const TableChange& c) : words_(ChangeWords(c.kinds)) {
    const bool both = c.before != nullptr && c.now != nullptr;
    const bool compressed = (c.kinds & kChangeCompressed) != 0;
    auto rows = [](const TableRecord* t) {
      return t == nullptr ? Value::Null() : Value::Decimal(t->row_count);
    };
    auto saved = [](const TableRecord* t, Fixed4 pct) {
      return t == nullptr ? Value::Null() : Value::Decimal(pct);
    };
    fields_ = {
        Field{"owner", Value::Text(c.owner())},
        Field{"table", Value::Text(c.table())},
        Field{"changes", Value::Text(words_)},
        Field{"size_before", c.before ? Bytes(c.size_before) : Value::Null()},
        Field{"size_now", c.now ? Bytes(c.size_now) : Value::Null()},
        Field{"size_change", Bytes(c.size_change())},
        Field{"rows_before", rows(c.before)},
        Field{"rows_now", rows(c.now)},
        Field{"saved_pct_before", saved(c.before, c.saved_before)},
        Field{"saved_pct_now", saved(c.now, c.saved_now)},
        Field{"saving_points", both ? Value::Decimal(c.saved_now - c.saved_before)
                                    : Value::Null()},
        Field{"recommendation_before",
              Recommendation(c.before, c.recommended_before)},
        Field{"recommendation_now", Recommendation(c.now, c.recommended_now)},
        Field{"estimated_method", compressed
                                      ? Value::Text(MethodName(c.estimated_method))
                                      : Value::Null()},
        Field{"estimated_pct",
              compressed ? Value::Decimal(c.estimated_pct) : Value::Null()},
        Field{"pages_fell_pct",
              compressed ? Value::Decimal(c.pages_fell_pct) : Value::Null()}};
  }
  std::span<const Field> fields() const { return fields_; }

 private:
  std::string words_;
  std::array<Field, 16> fields_;
};

std::string Count(int64_t count, const char* what) {
  return std::to_string(count) + " " + what;
}

}  // namespace

std::vector<std::string> ChangesHeaderTexts() {
  return {"Schema",           "Table",
          "Changes",          "Size Before (bytes)",
          "Size Now (bytes)", "Size Change (bytes)",
          "Count Before",     "Count Now",
          "%Saved Before",    "%Saved Now",
          "Points",           "Recommendation Before",
          "Recommendation Now", "Estimated Method",
          "Estimated %Saved", "Pages Fell %"};
}

std::vector<std::string> SettingChangesHeaderTexts() {
  return {"Setting", "Before", "Now"};
}

void WriteChangeRecords(ResultWriter& writer, const Changes& changes) {
  for (const TableChange& change : changes.tables) {
    const ChangeFields fields(change);
    writer.Record(fields.fields());
  }
}

void WriteSettingChangeRecords(ResultWriter& writer, const Changes& changes) {
  for (const SettingChange& s : changes.settings) {
    const Field fields[] = {{"setting", Value::Text(s.name)},
                            {"before", Value::Text(s.before)},
                            {"now", Value::Text(s.now)}};
    writer.Record(fields);
  }
}

void WriteChangesDocument(ResultWriter& writer, const Changes& changes,
                          const ComparedRuns& runs) {
  const std::string before_started = IsoTimeText(changes.before->started);
  const std::string now_started = IsoTimeText(changes.now->started);
  const Field before[] = {
      {"id", Value::Integer(runs.before.id)},
      {"started", Value::Text(before_started)},
      {"tables", Value::Integer(changes.totals_before.tables)},
      {"size_bytes", Bytes(changes.totals_before.size_bytes)}};
  const Field now[] = {
      {"id", runs.now_id > 0 ? Value::Integer(runs.now_id) : Value::Null()},
      {"started", Value::Text(now_started)},
      {"tables", Value::Integer(changes.totals_now.tables)},
      {"size_bytes", Bytes(changes.totals_now.size_bytes)}};
  const Field rule[] = {{"margin", Value::Integer(changes.rule.margin)},
                        {"threshold", Value::Integer(changes.rule.threshold)}};
  std::array<Field, kChangeKinds> counts;
  for (int bit = 0; bit < kChangeKinds; ++bit)
    counts[static_cast<size_t>(bit)] = {ChangeKindWord(bit),
                                        Value::Integer(changes.counts[bit])};
  writer.BeginDocument();
  writer.Member("database", Value::Text(changes.now->database));
  writer.Member("since", Value::Object(before));
  writer.Member("run", Value::Object(now));
  writer.Member("rule", Value::Object(rule));
  writer.BeginList("changes", ChangesHeaderTexts());
  WriteChangeRecords(writer, changes);
  writer.EndList();
  if (writer.KeepsDocuments() || !changes.settings.empty()) {
    writer.BeginList("settings_changed", SettingChangesHeaderTexts());
    WriteSettingChangeRecords(writer, changes);
    writer.EndList();
  }
  writer.Member("counts", Value::Object(counts));
  writer.Member("read_by_one_run_only", Value::Integer(changes.one_choice_only));
  writer.EndDocument();
}

std::string ChangesSummary(const Changes& changes, const ComparedRuns& runs) {
  const int64_t* n = changes.counts;
  std::string text =
      Count(static_cast<int64_t>(changes.tables.size()),
            changes.tables.size() == 1 ? "table changed" : "tables changed") +
      " since run " + std::to_string(runs.before.id) + " of " +
      IsoTimeText(changes.before->started) + ": " + Count(n[0], "new") + ", " +
      Count(n[1], "gone") + ", " + Count(n[2], "grown") + ", " +
      Count(n[3], "shrunk") + ", " + Count(n[8], "newly worth compressing") +
      ", " + Count(n[9], "no longer worth compressing") + ", " +
      Count(n[11], "compressed") + ", " + Count(n[4], "with more rows") + ", " +
      Count(n[5], "with fewer rows") + ", " + Count(n[6], "saving more") +
      ", " + Count(n[7], "saving less") + ", " +
      Count(n[10], "with another method") + "; size " +
      HumanBytes(changes.totals_before.size_bytes) + " then, " +
      HumanBytes(changes.totals_now.size_bytes) + " now.\n";
  if (changes.one_choice_only > 0) {
    text += Count(changes.one_choice_only, "tables") +
            " read by one run only are not listed: the runs chose their "
            "tables differently, so whether they are new or gone cannot be "
            "told.\n";
  }
  if (!changes.settings.empty()) {
    text += "The runs' settings differ:";
    for (const SettingChange& s : changes.settings)
      text += " " + s.name + " (" + s.before + ", now " + s.now + ")";
    text += ".\n";
  }
  return text;
}

}  // namespace tce
