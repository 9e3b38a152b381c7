#include "FileChecks.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "Errors.h"

namespace kestrow::cli {
namespace fs = std::filesystem;

void requireRegularFile(const std::string& path, const std::string& subject) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) failure(subject, "no such file: " + path);
  const std::string named = subject == path ? "" : path + " ";
  if (fs::is_directory(status)) failure(subject, named + "is a folder, not a file");
  if (!fs::is_regular_file(status))
    failure(subject, named + "is not a regular file (a device, pipe or socket)");
}

void requireWritableOutput(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return;
  if (fs::is_directory(status)) failure(path, "is a folder, not a file");
  if (!fs::is_regular_file(status))
    failure(path, "is not a regular file (a device, pipe or socket); refusing to write to it");
}

void requireFileName(const std::string& path, const std::string& option) {
  if (path.empty()) usageError(option, "the file name is empty");
}

void ReadFiles::add(const std::string& path, const std::string& role) {
  struct stat info {};
  if (!path.empty() && ::stat(path.c_str(), &info) == 0)
    files_.emplace(std::make_pair(info.st_dev, info.st_ino), std::make_pair(role, path));
}

void ReadFiles::refuseOverwrite(const std::string& output, ErrorKind kind) const {
  struct stat info {};
  if (::stat(output.c_str(), &info) != 0) return;
  const auto found = files_.find({info.st_dev, info.st_ino});
  if (found != files_.end())
    throw CliError(kind, output,
                   "is the same file as " + found->second.first + " " + found->second.second +
                       "; refusing to overwrite it");
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path left = fs::weakly_canonical(a, ec);
  if (ec) return false;
  return left == fs::weakly_canonical(b, ec) && !ec;
}

}  // namespace kestrow::cli
