#include "LibraryFile.h"

#include <fstream>
#include <vector>

namespace kestrow::host {
namespace {

// Reads `count` bytes at `offset`; false when they are not all there.
bool readAt(std::istream& in, std::uint64_t offset, std::size_t count,
            std::vector<std::uint8_t>& bytes) {
  bytes.assign(count, 0);
  in.clear();
  in.seekg(std::streamoff(offset));
  in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(count));
  return in.gcount() == std::streamsize(count);
}

// An unsigned field of `width` bytes at `at` in either byte order.
std::uint64_t field(const std::vector<std::uint8_t>& bytes, std::size_t at, int width,
                    bool bigEndian = false) {
  std::uint64_t value = 0;
  for (int i = 0; i < width; ++i) {
    const std::uint64_t byte = bytes[at + std::size_t(bigEndian ? i : width - 1 - i)];
    value = (value << 8) | byte;
  }
  return value;
}

// Whether [offset, offset + length) lies inside a file of `size` bytes
// (without wrapping round).
bool inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

std::string truncated(const std::string& what, std::uint64_t end, std::uint64_t size) {
  return "truncated: " + what + " ends at byte " + std::to_string(end) + " but the file has " +
         std::to_string(size) + " bytes";
}

}  // namespace

std::string elfProblem(std::istream& in, std::uint64_t size) {
  std::vector<std::uint8_t> h;
  if (!readAt(in, 0, 16, h) || h[0] != 0x7f || h[1] != 'E' || h[2] != 'L' || h[3] != 'F')
    return "not an ELF shared library";
  const bool wide = h[4] == 2;  // ELFCLASS64
  const bool big = h[5] == 2;   // ELFDATA2MSB
  if ((h[4] != 1 && !wide) || (h[5] != 1 && !big)) return "not an ELF shared library";
  // Offsets of e_phoff, e_shoff and e_phentsize in the two classes; the
  // five 16-bit fields after e_phentsize follow in the same order in both.
  const std::size_t headerSize = wide ? 64 : 52, phoffAt = wide ? 32 : 28, shoffAt = wide ? 40 : 32,
                    phentAt = wide ? 54 : 42;
  const int word = wide ? 8 : 4;
  if (!readAt(in, 0, headerSize, h)) return truncated("the ELF header", headerSize, size);
  const std::uint64_t phoff = field(h, phoffAt, word, big);
  const std::uint64_t shoff = field(h, shoffAt, word, big);
  const std::uint64_t phentsize = field(h, phentAt, 2, big), phnum = field(h, phentAt + 2, 2, big);
  const std::uint64_t shentsize = field(h, phentAt + 4, 2, big),
                      shnum = field(h, phentAt + 6, 2, big);
  if (phentsize < (wide ? 56u : 32u) && phnum > 0) return "malformed ELF program headers";
  if (!inside(phoff, phentsize * phnum, size))
    return truncated("the program header table", phoff + phentsize * phnum, size);
  for (std::uint64_t i = 0; i < phnum; ++i) {
    std::vector<std::uint8_t> ph;
    readAt(in, phoff + i * phentsize, std::size_t(phentsize), ph);
    // p_offset and p_filesz: the bytes the loader maps from the file.
    const std::uint64_t offset = field(ph, wide ? 8 : 4, word, big);
    const std::uint64_t length = field(ph, wide ? 32 : 16, word, big);
    if (!inside(offset, length, size))
      return truncated("segment " + std::to_string(i), offset + length, size);
  }
  if (shoff != 0 && !inside(shoff, shentsize * shnum, size))
    return truncated("the section header table", shoff + shentsize * shnum, size);
  return "";
}

std::string peProblem(std::istream& in, std::uint64_t size) {
  std::vector<std::uint8_t> h;
  if (!readAt(in, 0, 64, h) || h[0] != 'M' || h[1] != 'Z') return "not a Windows DLL";
  const std::uint64_t pe = field(h, 0x3c, 4);
  // Signature "PE\0\0", then the 20-byte file header.
  if (!readAt(in, pe, 24, h)) return truncated("the PE header", pe + 24, size);
  if (h[0] != 'P' || h[1] != 'E' || h[2] != 0 || h[3] != 0) return "not a Windows DLL";
  const std::uint64_t sections = field(h, 6, 2), optionalSize = field(h, 20, 2);
  const std::uint64_t table = pe + 24 + optionalSize;
  if (!inside(table, sections * 40, size))
    return truncated("the section table", table + sections * 40, size);
  if (optionalSize >= 64) {
    readAt(in, pe + 24, 64, h);
    const std::uint64_t headers = field(h, 60, 4);  // SizeOfHeaders
    if (headers > size) return truncated("the headers", headers, size);
  }
  for (std::uint64_t i = 0; i < sections; ++i) {
    readAt(in, table + i * 40, 40, h);
    const std::uint64_t length = field(h, 16, 4), offset = field(h, 20, 4);
    if (length > 0 && !inside(offset, length, size))
      return truncated("section " + std::to_string(i), offset + length, size);
  }
  return "";
}

std::string libraryFileProblem(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    return std::filesystem::exists(file, ec) ? "not a regular file" : "no such file";
  const std::uint64_t size = std::filesystem::file_size(file, ec);
  std::ifstream in(file, std::ios::binary);
  if (ec || !in) return "cannot be read";
#ifdef _WIN32
  return peProblem(in, size);
#else
  return elfProblem(in, size);
#endif
}

}  // namespace kestrow::host
