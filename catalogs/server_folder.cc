#include "server_folder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "server_layout.h"

namespace tce::catalogs {
namespace {

namespace fs = std::filesystem;
using tvcli::kDatabaseSuffix;
using tvcli::kSysmasterFile;

TargetState Refused(const std::string& reason) {
  TargetState state;
  state.reason = reason;
  return state;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code code;
  return fs::symlink_status(path, code).type() == fs::file_type::regular;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True when `path` is an SQLite file holding every table in `tables`. Only
// a file in SQLite's rollback-journal format, as the builder writes them,
// is opened, and read-only: a read leaves such a file and its folder as
// they were.
bool HoldsTables(const fs::path& path, const std::vector<std::string>& tables) {
  static constexpr char kHeader[] = "SQLite format 3";  // and its '\0'
  char header[20] = {};
  std::ifstream in(path, std::ios::binary);
  if (!in.read(header, sizeof header) ||
      std::memcmp(header, kHeader, sizeof kHeader) != 0 || header[18] != 1 ||
      header[19] != 1) {
    return false;
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
                SQLITE_OK &&
            sqlite3_prepare_v2(db,
                               "SELECT 1 FROM sqlite_master WHERE type = "
                               "'table' AND name = ?",
                               -1, &query, nullptr) == SQLITE_OK;
  for (const std::string& table : tables) {
    if (!ok) break;
    sqlite3_bind_text(query, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    ok = sqlite3_step(query) == SQLITE_ROW;
    sqlite3_reset(query);
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return ok;
}

// Why a folder without the mark is not one the tool wrote before it left
// its mark (server files only); empty when it is.
std::string WhyNotUnmarkedServer(const fs::path& folder,
                                 const std::vector<std::string>& entries) {
  static const std::vector<std::string> kServerTables = {"systables",
                                                         "sysshmvals"};
  static const std::vector<std::string> kDatabaseTables = {
      "systables", "syscolumns", "sysdistrib"};
  for (const std::string& name : entries) {
    const fs::path file = folder / name;
    if (!EndsWith(name, kDatabaseSuffix) || !IsRegularFile(file) ||
        !HoldsTables(
            file, name == kSysmasterFile ? kServerTables : kDatabaseTables)) {
      return "is a folder holding " + name +
             ", which tvserver-build did not write";
    }
  }
  if (std::find(entries.begin(), entries.end(), kSysmasterFile) ==
      entries.end()) {
    return std::string("is a folder without ") + kSysmasterFile;
  }
  return "";
}

// The files the mark in `folder` names; false when there is no sound mark.
bool ReadMark(const fs::path& folder, std::set<std::string>* files) {
  if (!IsRegularFile(folder / kMarkFile)) return false;
  std::ifstream in(folder / kMarkFile, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kMarkFirstLine) return false;
  while (std::getline(in, line)) {
    if (line.empty() || line == "." || line == ".." ||
        line.find('/') != std::string::npos) {
      return false;
    }
    files->insert(line);
  }
  return true;
}

// Why a folder holding a file named as the mark is not one the tool wrote:
// the mark is not sound, or the folder holds a file the mark does not
// name; empty when it is one.
std::string WhyNotMarkedServer(const fs::path& folder,
                               const std::vector<std::string>& entries) {
  std::set<std::string> written;
  if (!ReadMark(folder, &written)) {
    return std::string("is a folder whose ") + kMarkFile +
           " is not the tool's mark";
  }
  for (const std::string& name : entries) {
    if (name == kMarkFile) continue;
    if (written.count(name) == 0 || !IsRegularFile(folder / name)) {
      return "is a folder holding " + name +
             ", which tvserver-build did not write";
    }
  }
  return "";
}

}  // namespace

TargetState JudgeTarget(const std::string& target) {
  TargetState state;
  if (lstat(target.c_str(), &state.info) != 0) {
    if (errno == ENOENT) {
      state.kind = TargetKind::kAbsent;
      return state;
    }
    return Refused(std::string("cannot be examined: ") + std::strerror(errno));
  }
  if (S_ISLNK(state.info.st_mode)) return Refused("is a symbolic link");
  if (S_ISREG(state.info.st_mode)) return Refused("is a file");
  if (!S_ISDIR(state.info.st_mode)) return Refused("is not a folder");
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(target, code))
    state.entries.push_back(entry.path().filename().string());
  if (code) return Refused("cannot be read: " + code.message());
  std::sort(state.entries.begin(), state.entries.end());
  if (state.entries.empty()) {
    state.kind = TargetKind::kEmptyFolder;
    return state;
  }
  const bool marked = std::find(state.entries.begin(), state.entries.end(),
                                kMarkFile) != state.entries.end();
  const std::string why = marked ? WhyNotMarkedServer(target, state.entries)
                                 : WhyNotUnmarkedServer(target, state.entries);
  if (!why.empty()) return Refused(why);
  state.kind = TargetKind::kOwnServer;
  return state;
}

bool WriteMark(const std::string& folder, const std::vector<std::string>& files,
               std::string* error) {
  const std::string path = folder + "/" + kMarkFile;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << kMarkFirstLine << '\n';
  for (const std::string& file : files) out << file << '\n';
  out.close();
  if (!out) *error = path + ": cannot be written";
  return static_cast<bool>(out);
}

}  // namespace tce::catalogs
