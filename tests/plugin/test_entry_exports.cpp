// The module's dynamic symbol table: the entry point and nothing else.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "PluginTestSupport.h"

namespace kestrow::test {
namespace {

TEST(EntryExports, OnlyTheEntryPointIsExported) {
  const std::string cmd = "nm -D --defined-only '" + pluginFile().string() + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe) << "cannot run nm";
  std::string output;
  char buf[512];
  while (std::fgets(buf, sizeof buf, pipe.get())) output += buf;
  ASSERT_EQ(pclose(pipe.release()), 0) << "nm failed: " << output;

  // "<address> <type> <name>" per symbol; "T" is code, the name undecorated.
  std::istringstream lines(output);
  std::string address, type, name;
  ASSERT_TRUE(lines >> address >> type >> name) << output;
  EXPECT_EQ(name, "EntryPointFunc");
  EXPECT_EQ(type, "T");
  EXPECT_FALSE(lines >> address) << "more than one symbol:\n" << output;
}

}  // namespace
}  // namespace kestrow::test
