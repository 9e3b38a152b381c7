// The module's dynamic symbol table: the entry point and nothing else.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

struct DefinedSymbol {
  std::string type;  // nm's letter, "T" for code
  std::string name;
};

// `nm -D --defined-only` lines: "<address> <type> <name>".
std::vector<DefinedSymbol> definedDynamicSymbols(const std::filesystem::path& file,
                                                 std::string* error) {
  const std::string cmd = "nm -D --defined-only '" + file.string() + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
  std::vector<DefinedSymbol> symbols;
  if (!pipe) {
    *error = "cannot run nm";
    return symbols;
  }
  std::string output;
  char buf[512];
  while (std::fgets(buf, sizeof buf, pipe.get())) {
    output += buf;
  }
  if (pclose(pipe.release()) != 0) {
    *error = "nm failed: " + output;
    return symbols;
  }
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    DefinedSymbol s;
    std::string address;
    if (fields >> address >> s.type >> s.name) {
      symbols.push_back(s);
    }
  }
  return symbols;
}

TEST(EntryExports, OnlyTheEntryPointIsExported) {
  std::string error;
  const std::vector<DefinedSymbol> symbols = definedDynamicSymbols(pluginFile(), &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(symbols.size(), 1u) << "first extra symbol: "
                                << (symbols.size() > 1 ? symbols[1].name : std::string("none"));
  EXPECT_EQ(symbols[0].name, "EntryPointFunc");  // undecorated
  EXPECT_EQ(symbols[0].type, "T");
}

}  // namespace
}  // namespace kestrow::test
