// The suites the host offers through SPBasicSuite, by exact name and
// version: "PF Iterate8 Suite" is not "PF iterate8 Suite", and "AEGP Stream
// Suite" 7 is not version 6.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrow::host {

struct SuiteEntry {
  const char* name;
  int version;
  const void* table;
};

// The function table of that exact suite, or null.
const void* findSuite(std::string_view name, int version);
// Every suite offered (for descriptions and tests).
const std::vector<SuiteEntry>& allSuites();

}  // namespace kestrow::host
