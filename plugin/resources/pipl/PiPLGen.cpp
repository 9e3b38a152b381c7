// Writes the effect's PiPL resource bytes to the file named on the command
// line. Runs at build time (under an emulator when cross-compiling), so it
// uses nothing but the standard library.
#include <cstdio>
#include <exception>
#include <fstream>
#include <vector>

#include "resources/PiPL.h"
#include "resources/pipl/PiPLLayout.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrow_pipl_gen <output file>\n");
    return 2;
  }
  try {
    const std::vector<uint8_t> bytes = WindowsPiPLBytes(kKestrowPiPL);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "kestrow_pipl_gen: error: %s: cannot write\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrow_pipl_gen: error: %s\n", e.what());
    return 1;
  }
  return 0;
}
