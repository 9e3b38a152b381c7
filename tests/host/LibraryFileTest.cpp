// The header check that keeps a truncated library away from the platform's
// loader: a real ELF module cut at points that fall into each of its parts,
// and a minimal PE image with one section.
#include "LibraryFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace kestrow::host {
namespace {

namespace fs = std::filesystem;

struct Cut {
  const char* name;
  std::int64_t keep;    // bytes kept; negative: counted back from the end
  const char* problem;  // start of the expected message ("" for none)
};

class TruncatedElf : public testing::TestWithParam<Cut> {};

TEST_P(TruncatedElf, IsRefusedWithThePartThatIsMissing) {
  const Cut& cut = GetParam();
  const fs::path copy =
      fs::temp_directory_path() / ("kestrow-cut-" + std::to_string(getpid()) + ".so");
  fs::copy_file(KESTROW_FAKE_PLUGIN, copy, fs::copy_options::overwrite_existing);
  const auto size = std::int64_t(fs::file_size(copy));
  fs::resize_file(copy, std::uintmax_t(cut.keep < 0 ? size + cut.keep : std::min(size, cut.keep)));
  const std::string problem = libraryFileProblem(copy);
  fs::remove(copy);
  EXPECT_TRUE(problem.starts_with(cut.problem) && (*cut.problem || problem.empty())) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, TruncatedElf,
    testing::Values(Cut{"Whole", INT64_MAX, ""}, Cut{"InTheIdentification", 10, "not an ELF"},
                    Cut{"InTheHeader", 40, "truncated: the ELF header ends at byte 64"},
                    Cut{"InTheProgramHeaders", 100, "truncated: the program header table"},
                    Cut{"InASegment", 5000, "truncated: segment "},
                    Cut{"LastByte", -1, "truncated: the section header table"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryFile, NamesWhatIsNotARegularFile) {
  EXPECT_EQ(libraryFileProblem(fs::temp_directory_path()), "not a regular file");
  EXPECT_EQ(libraryFileProblem("/no/such/file.so"), "no such file");
}

// DOS header pointing at "PE\0\0" at 64, a PE32+ optional header of 240
// bytes with SizeOfHeaders 512, one section of 512 raw bytes at 512.
std::string minimalPe() {
  std::string bytes(1024, '\0');
  auto put = [&](std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + std::size_t(i)] = char((value >> (8 * i)) & 0xff);
  };
  bytes[0] = 'M', bytes[1] = 'Z';
  put(0x3c, 64, 4);
  bytes[64] = 'P', bytes[65] = 'E';
  put(64 + 6, 1, 2);     // NumberOfSections
  put(64 + 20, 240, 2);  // SizeOfOptionalHeader
  put(88, 0x20b, 2);     // PE32+ magic
  put(88 + 60, 512, 4);  // SizeOfHeaders
  const std::size_t section = 88 + 240;
  put(section + 16, 512, 4);  // SizeOfRawData
  put(section + 20, 512, 4);  // PointerToRawData
  return bytes;
}

TEST(LibraryFile, PeSectionsMustLieInsideTheFile) {
  const std::string pe = minimalPe();
  for (std::size_t keep :
       {std::size_t(1024), std::size_t(1000), std::size_t(300), std::size_t(80)}) {
    std::istringstream in(pe.substr(0, keep));
    const std::string problem = peProblem(in, keep);
    const char* want = keep == 1024   ? ""
                       : keep == 1000 ? "truncated: section 0 ends at byte 1024"
                       : keep == 300  ? "truncated: the section table"
                                      : "truncated: the PE header";
    EXPECT_TRUE(problem.starts_with(want) && (*want || problem.empty())) << keep << ": " << problem;
  }
  std::istringstream elf(
      "\x7f"
      "ELF");
  EXPECT_EQ(peProblem(elf, 4), "not a Windows DLL");
}

}  // namespace
}  // namespace kestrow::host
