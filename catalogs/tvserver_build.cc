// tvserver-build DEFINITION TARGET: writes the server folder that a server
// definition describes (see catalog_definition.h) at TARGET, which must be
// absent, an empty folder or a server folder the tool wrote (see
// server_writer.h). Exit status: 0 built, 1 the definition or the folder
// could not be read or written, 2 the definition is not sound (the message
// names its line) or TARGET is not the tool's to replace (it is left
// untouched), 64 usage.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "catalog_definition.h"
#include "server_writer.h"

namespace {

// For the tests of an interrupted build: the tool stops after writing the
// database this names, says so on standard output and waits for a signal.
constexpr char kPauseAfterVariable[] = "TVSERVER_BUILD_PAUSE_AFTER";

void PauseAfter(const std::string& wanted, const std::string& database) {
  if (database != wanted) return;
  std::printf("paused after %s\n", database.c_str());
  std::fflush(stdout);
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tvserver-build DEFINITION TARGET\n");
    return 64;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tvserver-build: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  tce::catalogs::ServerDefinition server;
  std::string error;
  if (!tce::catalogs::ParseServerDefinition(text, &server, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 2;
  }
  tce::catalogs::WriteOptions options;
  options.clean_up_on_signals = true;
  if (const char* pause_after = std::getenv(kPauseAfterVariable)) {
    options.after_database =
        [wanted = std::string(pause_after)](const std::string& database) {
          PauseAfter(wanted, database);
        };
  }
  const tce::catalogs::WriteStatus status =
      tce::catalogs::WriteServer(server, argv[2], options, &error);
  if (!error.empty())
    std::fprintf(stderr, "tvserver-build: %s\n", error.c_str());
  switch (status) {
    case tce::catalogs::WriteStatus::kBuilt:
      return 0;
    case tce::catalogs::WriteStatus::kRefused:
      return 2;
    case tce::catalogs::WriteStatus::kFailed:
      break;
  }
  return 1;
}
