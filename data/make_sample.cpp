// Builds the sample database at build time (data/sample_database.h).
//
//   make_sample TEMPLATE RECORDS OUTPUT NAME
#include <cstdio>
#include <string>

#include "data/sample_database.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_sample TEMPLATE RECORDS OUTPUT NAME\n");
    return 2;
  }
  std::string error;
  if (!MakeSampleDatabase(argv[1], argv[2], argv[3], argv[4], &error)) {
    std::fprintf(stderr, "make_sample: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
