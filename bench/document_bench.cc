// Writes a run's JSON document of many tables, as --json writes one, for
// timing --report-from on documents far larger than any catalog at hand;
// and measures a program's run.
//
//   document_bench FILE TABLES
//   document_bench measure LABEL PROGRAM [ARGS...]
//       runs PROGRAM (standard input and output to /dev/null) and prints
//       "LABEL-s SECONDS" and "peak-mb LABEL MB"; fails when it fails
//
// The tables are made in memory (20 owners, varied sizes, savings and
// statistics) and written through the tool's own writers.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/message_table.h"
#include "base/run_settings.h"
#include "model/grid_columns.h"
#include "output/file_writer.h"
#include "output/record_document.h"
#include "output/results_output.h"

namespace {

std::shared_ptr<tce::RunRecord> MakeRecord(long tables) {
  auto record = std::make_shared<tce::RunRecord>();
  record->database = "bench";
  record->server = {"/srv/bench", "bench-host"};
  record->server_version = "11.70";
  tce::ResetToStartupValues(record->settings);
  record->started = std::chrono::system_clock::now();
  record->ended = record->started + std::chrono::seconds(90);
  record->tables.resize(static_cast<size_t>(tables));
  for (long i = 0; i < tables; ++i) {
    tce::TableRecord& t = record->tables[static_cast<size_t>(i)];
    t.owner = "owner" + std::to_string(i % 20);
    t.table = "table_" + std::to_string(i);
    t.row_count = tce::Fixed4::FromInt(i % 7 == 0 ? 0 : 1000 + i % 50000);
    t.pages_used = tce::Fixed4::FromInt(10 + i % 9000);
    t.page_size = 2048 << (i % 3);
    t.row_length = tce::Fixed4::FromDouble(40 + i % 300 + 0.25);
    t.compressed_length.row = tce::Fixed4::FromDouble((40 + i % 300) * 0.6);
    t.compressed_length.page = tce::Fixed4::FromDouble((40 + i % 300) * 0.5);
    t.basis = {static_cast<int32_t>(i % 5), static_cast<int32_t>(i % 3), 1};
    record->listed.push_back(static_cast<int32_t>(i));
  }
  return record;
}

int Measure(const char* label, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    execv(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return 1;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("%s-s %.1f\npeak-mb %s %ld\n", label, seconds, label,
              usage.ru_maxrss / 1024);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::string(argv[1]) == "measure")
    return Measure(argv[2], argv + 3);
  if (argc != 3) {
    std::fprintf(stderr, "usage: document_bench FILE TABLES\n");
    return 64;
  }
  tce::MessageTable messages;
  messages.LoadBuiltInTexts();
  const auto record = MakeRecord(std::atol(argv[2]));
  tce::FileWriter file;
  if (!file.Open(argv[1]).ok()) return 1;
  const auto writer = tce::ResultWriter::Make(tce::ExportFormat::kJson, file);
  writer->BeginDocument();
  writer->Member("database", tce::Value::Text(record->database));
  tce::WriteSettingsMember(*writer, record->settings);
  tce::WriteTableList(*writer, messages, *record, record->listed);
  tce::WriteTotalsMember(*writer, *record);
  tce::WriteRecordMembers(*writer, *record, std::nullopt);
  writer->EndDocument();
  return writer->ok() && file.Commit().ok() ? 0 : 1;
}
