#include "AtomicFile.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "Errors.h"

namespace kestrow::cli {
namespace fs = std::filesystem;

namespace {
std::atomic<unsigned> counter{0};
}

fs::path temporaryPathFor(const fs::path& target) {
  const std::string name = std::string(".") + target.stem().string() + ".kestrow-" +
                           std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                           target.extension().string();
  return target.parent_path() / name;
}

void commitTemporary(const fs::path& temporary, const fs::path& target) {
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    failure(target.string(), "cannot be written (" + ec.message() + ")");
  }
}

void writeTextAtomically(const fs::path& target, const std::string& text) {
  const fs::path temporary = temporaryPathFor(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out << text;
    if (out) out.flush();
    if (!out) {
      const std::string why = std::strerror(errno);
      out.close();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      failure(target.string(), "cannot be written (" + why + ")");
    }
  }
  commitTemporary(temporary, target);
}

}  // namespace kestrow::cli
