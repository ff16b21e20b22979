#include "output/file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace tce {
namespace {

// The temporary files open now, for the signal handler to remove: fixed
// slots, so that the handler neither allocates nor locks.
constexpr int kSlots = 16;
struct TempSlot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
TempSlot temp_slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous_actions[3];

extern "C" void RemoveTempFilesAndRaise(int signal_number) {
  for (TempSlot& slot : temp_slots) {
    if (slot.used.load()) unlink(slot.path);
  }
  for (int i = 0; i < 3; ++i) {
    if (kSignals[i] == signal_number) {
      sigaction(signal_number, &previous_actions[i], nullptr);
    }
  }
  raise(signal_number);
}

void InstallSignalHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i < 3; ++i) {
      struct sigaction current {};
      sigaction(kSignals[i], nullptr, &current);
      previous_actions[i] = current;
      // A signal the process ignores (nohup) stays ignored.
      if (current.sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_handler = RemoveTempFilesAndRaise;
      sigemptyset(&action.sa_mask);
      sigaction(kSignals[i], &action, nullptr);
    }
  });
}

int RegisterTemp(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (temp_slots[i].used.load()) continue;
    std::memcpy(temp_slots[i].path, path.c_str(), path.size() + 1);
    if (temp_slots[i].used.compare_exchange_strong(expected, true)) return i;
  }
  return -1;
}

void UnregisterTemp(const std::string& path) {
  for (TempSlot& slot : temp_slots) {
    if (slot.used.load() && path == slot.path) slot.used.store(false);
  }
}

// The file a name leads to when it does not exist: the end of its chain of
// (dangling) links, or the name itself.
std::string FollowDanglingLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
    std::error_code error;
    const std::filesystem::path to = std::filesystem::read_symlink(path, error);
    if (error) break;
    path = to.is_absolute()
               ? to.string()
               : (std::filesystem::path(path).parent_path() / to).string();
  }
  return path;
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Gives the temporary file what the target it replaces has.
void KeepModeAndOwner(int fd, const struct stat& existing) {
  fchmod(fd, existing.st_mode & 07777);
  // Owner and group where the user may set them (the group alone when
  // only that is allowed); otherwise the file is the user's own.
  if (fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
      fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
    fchmod(fd, existing.st_mode & 0777);
  }
}

}  // namespace

FileWriter::~FileWriter() { Discard(); }

void FileWriter::Discard() {
  if (owns_fd_ && fd_ >= 0) close(fd_);
  fd_ = -1;
  owns_fd_ = false;
  if (!temp_path_.empty()) {
    unlink(temp_path_.c_str());
    UnregisterTemp(temp_path_);
    temp_path_.clear();
  }
}

Status FileWriter::Failure(const std::string& reason) const {
  return Status::FileFailure(target_ + ": " + reason);
}

void FileWriter::OpenStandardOutput() {
  target_ = final_path_ = "standard output";
  fd_ = STDOUT_FILENO;
  owns_fd_ = false;
}

Status FileWriter::Open(const std::string& target) {
  target_ = target;
  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return OpenDirectly();
  if (!exists && errno != ENOENT) return Failure(std::strerror(errno));
  std::error_code error;
  final_path_ = exists ? std::filesystem::canonical(target, error).string()
                       : FollowDanglingLinks(target);
  if (error) return Failure(error.message());
  // What the effective user may not write is refused, as the shell refuses
  // it (root may write a read-only file, as root's shell does).
  if (exists &&
      faccessat(AT_FDCWD, final_path_.c_str(), W_OK, AT_EACCESS) != 0) {
    return Failure(std::strerror(errno));
  }
  const std::filesystem::path final_path(final_path_);
  // The temporary name carries the target's name, cut so that it fits.
  std::string name = final_path.filename().string().substr(0, 200);
  temp_path_ = (final_path.parent_path() / ("." + name + ".XXXXXX")).string();
  if (final_path.parent_path().empty()) temp_path_ = "." + name + ".XXXXXX";
  InstallSignalHandlers();
  fd_ = mkstemp(temp_path_.data());
  if (fd_ < 0) {
    const int reason = errno;
    temp_path_.clear();
    // A folder the user cannot write: its writable file is written in
    // place, as the shell writes it.
    if (exists && (reason == EACCES || reason == EPERM)) return OpenInPlace();
    return Failure(std::strerror(reason));
  }
  owns_fd_ = true;
  RegisterTemp(temp_path_);
  if (exists) {
    KeepModeAndOwner(fd_, existing);
  } else {
    fchmod(fd_, 0666 & ~CurrentUmask());
  }
  return Status();
}

Status FileWriter::OpenDirectly() {
  // A terminal, a pipe or a device takes the bytes as they come.
  final_path_ = target_;
  fd_ = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) return Failure(std::strerror(errno));
  owns_fd_ = true;
  return Status();
}

Status FileWriter::OpenInPlace() {
  // Not emptied yet: a writer dropped before it writes leaves the file as
  // it was.
  fd_ = open(final_path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) return Failure(std::strerror(errno));
  owns_fd_ = true;
  in_place_ = true;
  return Status();
}

bool FileWriter::Write(std::string_view bytes) {
  if (failed_ || fd_ < 0) return false;
  // Small writes gather in the buffer; the file gets them in large pieces.
  constexpr size_t kBufferSize = 64 * 1024;
  if (buffer_.size() + bytes.size() < kBufferSize) {
    buffer_.append(bytes);
    return true;
  }
  return Flush() && WriteOut(bytes);
}

bool FileWriter::WriteFileContents(std::FILE* from) {
  if (failed_ || fd_ < 0) return false;
  if (!Flush() || std::fflush(from) != 0 || std::fseek(from, 0, SEEK_SET) != 0)
    return false;
  const int in = fileno(from);
  for (bool first = true;; first = false) {
    const ssize_t n = sendfile(fd_, in, nullptr, 1 << 30);
    if (n > 0) continue;
    if (n == 0) return true;
    if (errno == EINTR) continue;
    // Outputs sendfile cannot write to (opened for appending, say) take
    // the plain copy, from the start.
    if (first && (errno == EINVAL || errno == ENOSYS))
      return ByteSink::WriteFileContents(from);
    failed_ = true;
    error_ = errno;
    return false;
  }
}

bool FileWriter::Flush() {
  const bool ok = WriteOut(buffer_);
  buffer_.clear();
  return ok;
}

bool FileWriter::WriteOut(std::string_view bytes) {
  if (failed_) return false;
  if (in_place_ && !truncated_) {
    truncated_ = true;
    if (ftruncate(fd_, 0) != 0) {
      failed_ = true;
      error_ = errno;
      return false;
    }
  }
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      error_ = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

Status FileWriter::Commit() {
  if (fd_ < 0) return Failure("not open");
  if (in_place_) return CommitInPlace();
  if (temp_path_.empty()) return CommitDirectly();
  auto nothing_written = [&](int reason) {
    Discard();
    return Failure(std::string(std::strerror(reason)) +
                   "; nothing was written");
  };
  if (!Flush()) return nothing_written(error_);
  if (fsync(fd_) != 0 && errno != EINVAL) return nothing_written(errno);
  const int closed = close(fd_);
  fd_ = -1;
  owns_fd_ = false;
  if (closed != 0) return nothing_written(errno);
  if (rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
    return nothing_written(errno);
  }
  UnregisterTemp(temp_path_);
  temp_path_.clear();
  return Status();
}

Status FileWriter::CommitDirectly() {
  if (!Flush()) {
    Discard();
    return Failure(std::string(std::strerror(error_)) +
                   "; the output may be incomplete");
  }
  // Written directly: what went out is out.
  if (owns_fd_ && close(fd_) != 0) {
    fd_ = -1;
    return Failure(std::strerror(errno));
  }
  fd_ = -1;
  owns_fd_ = false;
  return Status();
}

Status FileWriter::CommitInPlace() {
  int reason = 0;
  if (!Flush()) {
    reason = error_;
  } else if (fsync(fd_) != 0 && errno != EINVAL) {
    reason = errno;
  }
  if (close(fd_) != 0 && reason == 0) reason = errno;
  fd_ = -1;
  owns_fd_ = false;
  if (reason == 0) return Status();
  return Failure(std::string(std::strerror(reason)) +
                 "; it was written in place and may now be incomplete");
}

}  // namespace tce
