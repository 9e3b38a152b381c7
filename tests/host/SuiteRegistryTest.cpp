#include "SuiteRegistry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>

namespace kestrow::host {
namespace {

const std::pair<const char*, int> kOffered[] = {
    {"PF Handle Suite", 2},       {"AEGP Utility Suite", 7},
    {"PF ANSI Suite", 1},         {"PF World Suite", 2},
    {"PF iterateFloat Suite", 1}, {"PF iterate16 Suite", 1},
    {"PF Iterate8 Suite", 1},     {"AEGP PF Interface Suite", 1},
    {"AEGP Stream Suite", 7},     {"AEGP Dynamic Stream Suite", 2},
    {"AEGP Effect Suite", 2},     {"PF ColorParamSuite", 1}};

bool found(const std::string& name, int version) { return findSuite(name.c_str(), version); }

// Each suite by its exact name and version only: not one letter's case
// changed, not with a space added or a letter dropped, not another version.
TEST(SuiteRegistryTest, FindsOnlyTheExactNameAndVersion) {
  EXPECT_FALSE(found("", 1));
  for (const auto& [name, version] : kOffered) {
    const std::string exact = name;
    SCOPED_TRACE('"' + exact + "\" " + std::to_string(version));
    EXPECT_TRUE(found(exact, version));
    EXPECT_FALSE(found(exact, version - 1));
    EXPECT_FALSE(found(exact, version + 1));
    EXPECT_FALSE(found(exact + " ", version));
    EXPECT_FALSE(found(" " + exact, version));
    EXPECT_FALSE(found(exact.substr(0, exact.size() - 1), version));
    for (std::size_t i = 0; i < exact.size(); ++i) {
      std::string changed = exact;
      const unsigned char c = static_cast<unsigned char>(changed[i]);
      if (!std::isalpha(c)) continue;
      changed[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
      EXPECT_FALSE(found(changed, version)) << changed;
    }
  }
}

TEST(SuiteRegistryTest, EveryOfferedSuiteHasADistinctTable) {
  const auto& suites = allSuites();
  EXPECT_EQ(suites.size(), std::size(kOffered));
  for (std::size_t i = 0; i < suites.size(); ++i) {
    EXPECT_NE(suites[i].table, nullptr) << suites[i].name;
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(suites[i].table, suites[j].table) << suites[i].name;
    }
  }
}

}  // namespace
}  // namespace kestrow::host
