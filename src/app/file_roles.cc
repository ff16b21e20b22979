#include "app/file_roles.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <tuple>

namespace tce {
namespace {

namespace fs = std::filesystem;

// What makes two names one file: an existing file's device and inode, or
// the path where a file not made yet would be made.
using Identity = std::tuple<dev_t, ino_t, std::string>;

// Where writing `path` would make the file: the end of its chain of
// dangling links, in its real folder.
std::string WhereMade(fs::path path) {
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
    const fs::path to = fs::read_symlink(path, error);
    if (error) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  const fs::path absolute = fs::absolute(path, error);
  if (error) return path.lexically_normal().string();
  const fs::path resolved = fs::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : resolved).string();
}

// Nothing for a stream (terminal, pipe, device, socket).
std::optional<Identity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Identity{0, 0, WhereMade(path)};
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode) ||
      S_ISSOCK(st.st_mode)) {
    return std::nullopt;
  }
  return Identity{st.st_dev, st.st_ino, {}};
}

}  // namespace

std::string SharedFile(const std::vector<NamedFile>& files) {
  std::map<Identity, const NamedFile*> seen;
  for (const NamedFile& file : files) {
    const std::optional<Identity> identity = IdentityOf(file.path);
    if (!identity) continue;
    const auto [at, added] = seen.emplace(*identity, &file);
    if (added) continue;
    const NamedFile& first = *at->second;
    return first.option + " " + first.path + " and " + file.option + " " +
           file.path +
           " name the same file; give each its own file. Nothing was read "
           "or written.";
  }
  return {};
}

bool EachFileHasOneRole(const BatchOptions& options) {
  const std::string why = SharedFile(NamedFiles(options));
  if (why.empty()) return true;
  std::fprintf(stderr, "tarvex-compest-batch: %s\n", why.c_str());
  return false;
}

}  // namespace tce
