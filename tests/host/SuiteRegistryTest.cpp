#include "SuiteRegistry.h"

#include <gtest/gtest.h>

namespace kestrow::host {
namespace {

struct Lookup {
  const char* name;
  int version;
  bool offered;
};

class SuiteRegistryTest : public testing::TestWithParam<Lookup> {};

TEST_P(SuiteRegistryTest, FindsOnlyTheExactNameAndVersion) {
  const Lookup& l = GetParam();
  EXPECT_EQ(findSuite(l.name, l.version) != nullptr, l.offered)
      << '"' << l.name << "\" version " << l.version;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SuiteRegistryTest,
    testing::Values(Lookup{"PF Handle Suite", 2, true}, Lookup{"AEGP Utility Suite", 7, true},
                    Lookup{"PF ANSI Suite", 1, true}, Lookup{"PF World Suite", 2, true},
                    Lookup{"PF iterateFloat Suite", 1, true}, Lookup{"PF iterate16 Suite", 1, true},
                    Lookup{"PF Iterate8 Suite", 1, true},
                    Lookup{"AEGP PF Interface Suite", 1, true},
                    Lookup{"AEGP Stream Suite", 7, true},
                    Lookup{"AEGP Dynamic Stream Suite", 2, true},
                    Lookup{"AEGP Effect Suite", 2, true}, Lookup{"PF ColorParamSuite", 1, true},
                    // Near misses: case, spacing, version, trailing characters.
                    Lookup{"PF Handle Suite", 1, false}, Lookup{"PF Handle Suite", 3, false},
                    Lookup{"PF handle Suite", 2, false}, Lookup{"PF IterateFloat Suite", 1, false},
                    Lookup{"PF Iterate16 Suite", 1, false}, Lookup{"PF iterate8 Suite", 1, false},
                    Lookup{"PF ColorParam Suite", 1, false}, Lookup{"AEGP Stream Suite", 6, false},
                    Lookup{"AEGP Utility Suite ", 7, false}, Lookup{" PF ANSI Suite", 1, false},
                    Lookup{"", 1, false}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(SuiteRegistryListTest, EveryOfferedSuiteHasADistinctTable) {
  const auto& suites = allSuites();
  EXPECT_EQ(suites.size(), 12u);
  for (std::size_t i = 0; i < suites.size(); ++i) {
    EXPECT_NE(suites[i].table, nullptr) << suites[i].name;
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_NE(suites[i].table, suites[j].table) << suites[i].name;
  }
}

}  // namespace
}  // namespace kestrow::host
