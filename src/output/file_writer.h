// The one way the program writes a file the user named: into a temporary
// file beside the target, flushed and renamed over it only when everything
// was written, so that a failure (a full disk, a signal) leaves the target as
// it was and nothing half-written behind.
//
// - An existing target keeps its permission bits, and its owner and group
//   where the user may set them; a new one gets what the umask allows.
// - Files are treated as the shell treats them: a target the effective user
//   may not write is refused ("Permission denied"), root's own answer
//   included; a writable target in a folder where no temporary file can be
//   made is written in place, as ">" writes it (emptied at the first bytes
//   written, so a failure after that leaves it cut short, and says so).
// - A target that is a symbolic link: the file the link names is written
//   (the link stays).
// - A target that exists and is not a regular file (a terminal, a pipe,
//   /dev/stdout) is written directly.
// - A target name too long to carry a suffix still works.
// - The temporary file is removed when the writer is destroyed without
//   Commit, and on SIGINT, SIGTERM and SIGHUP before the signal takes its
//   course.
#ifndef TCE_OUTPUT_FILE_WRITER_H_
#define TCE_OUTPUT_FILE_WRITER_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "output/result_writer.h"

namespace tce {

class FileWriter : public ByteSink {
 public:
  FileWriter() = default;
  ~FileWriter() override;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Opens the temporary file (or the target itself when it is not a
  // regular file). The failure names the target and the reason.
  Status Open(const std::string& target);
  // Standard output, written directly.
  void OpenStandardOutput();

  bool Write(std::string_view bytes) override;
  // Copied by the kernel where it can (sendfile), else read and written.
  bool WriteFileContents(std::FILE* from) override;

  // Flushes and puts the file in place. After a failure of any Write or of
  // Commit itself the target is as it was (for a regular file) and the
  // status says that nothing was written.
  Status Commit();

  // The file that is written in the end (a link's target, made absolute).
  const std::string& final_path() const { return final_path_; }

 private:
  Status Failure(const std::string& reason) const;
  Status OpenDirectly();
  Status OpenInPlace();
  Status CommitDirectly();
  Status CommitInPlace();
  bool Flush();
  bool WriteOut(std::string_view bytes);
  void Discard();

  std::string target_;      // as the caller named it
  std::string final_path_;  // the file that receives the bytes
  std::string temp_path_;   // empty when writing directly
  std::string buffer_;
  int fd_ = -1;
  bool owns_fd_ = false;
  bool in_place_ = false;   // the target itself, no temporary file
  bool truncated_ = false;  // in place: emptied, the first bytes on the way
  bool failed_ = false;
  int error_ = 0;  // errno of the first failed write
};

}  // namespace tce

#endif  // TCE_OUTPUT_FILE_WRITER_H_
