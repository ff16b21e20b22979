// Builds server directories for the embedded driver in a temporary folder.
#ifndef TCE_TESTS_SUPPORT_TEST_SERVER_H_
#define TCE_TESTS_SUPPORT_TEST_SERVER_H_

#include <memory>
#include <string>

#include "catalog_builder.h"
#include "support/temp_dir.h"

namespace tce::testing {

class TestServer {
 public:
  // A server reporting `version`, with the server-wide page size.
  explicit TestServer(const std::string& version = "11.70",
                      int page_size = 2048);

  // Starts a database file <name>.db; Finish it before connecting.
  tvcli::DatabaseBuilder& Database(const std::string& name);
  // Finishes the database started last; fails the test on an error.
  void Finish();

  std::string DatabasePath(const std::string& name) const {
    return dir_.File(name + ".db");
  }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  std::unique_ptr<tvcli::DatabaseBuilder> current_;
};

// The path of the driver library built beside the test executables.
std::string EmbeddedDriverPath();

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_TEST_SERVER_H_
