// For the fuzz targets of the file readers: the input written to a file of
// this process's own.
#ifndef TCE_TESTS_FUZZ_FUZZ_FILE_H_
#define TCE_TESTS_FUZZ_FUZZ_FILE_H_

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tce::fuzz {

inline const std::string& FuzzFilePath() {
  static const std::string path =
      "/tmp/tce-fuzz-" + std::to_string(getpid()) + ".txt";
  return path;
}

inline const std::string& WriteFuzzFile(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(FuzzFilePath().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  return FuzzFilePath();
}

}  // namespace tce::fuzz

#endif  // TCE_TESTS_FUZZ_FUZZ_FILE_H_
