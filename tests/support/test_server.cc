#include "support/test_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "base/text_file.h"

namespace tce::testing {

TestServer::TestServer(const std::string& version, int page_size) {
  std::string error;
  EXPECT_TRUE(
      tvcli::CreateServer(dir_.path().string(), version, page_size, &error))
      << error;
}

tvcli::DatabaseBuilder& TestServer::Database(const std::string& name) {
  if (current_) Finish();
  current_ = std::make_unique<tvcli::DatabaseBuilder>(DatabasePath(name));
  return *current_;
}

void TestServer::Finish() {
  if (!current_) return;
  std::string error;
  EXPECT_TRUE(current_->Finish(&error)) << error;
  current_.reset();
}

std::string EmbeddedDriverPath() {
  return ExecutableDirectory() + "/libtvcli09b.so";
}

}  // namespace tce::testing
