// tvserver-build DEFINITION DIRECTORY: writes the server directory that a
// server definition describes (see catalog_definition.h). Exit status: 0
// built, 1 the definition or the directory could not be read or written,
// 2 the definition is not sound (the message names its line), 64 usage.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "catalog_definition.h"
#include "server_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tvserver-build DEFINITION DIRECTORY\n");
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
  if (!tce::catalogs::WriteServer(server, argv[2], &error)) {
    std::fprintf(stderr, "tvserver-build: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
