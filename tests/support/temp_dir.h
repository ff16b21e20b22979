// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes away.
#ifndef TCE_TESTS_SUPPORT_TEMP_DIR_H_
#define TCE_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace tce::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const {
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Replaces a file's content with the bytes.
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_TEMP_DIR_H_
