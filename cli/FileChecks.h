// Checks on the files a run names, made before any work is done: what it
// reads must be a regular file (a device such as /dev/zero would be read
// forever), and nothing it writes may be one of the files it reads, however
// the two are spelt (links, "./", other folders).
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <utility>

#include "Errors.h"

namespace kestrow::cli {

// Throws a failure naming `subject` unless `path` (symbolic links followed)
// is an existing regular file.
void requireRegularFile(const std::string& path, const std::string& subject);

// Throws a failure naming `path` when it exists (symbolic links followed)
// and is not a regular file: a device, a pipe or a folder is never written
// over or replaced.
void requireWritableOutput(const std::string& path);

// Throws a usage error naming `option` when `path` is empty.
void requireFileName(const std::string& path, const std::string& option);

// The files a run reads, by identity (device and inode).
class ReadFiles {
 public:
  // Adds `path` as `role` ("the input", "the preset", ...); a path that does
  // not exist (yet) is skipped.
  void add(const std::string& path, const std::string& role);
  // Throws a CliError of `kind` naming `output` when it is one of the added
  // files.
  void refuseOverwrite(const std::string& output, ErrorKind kind = ErrorKind::Usage) const;

 private:
  std::map<std::pair<dev_t, ino_t>, std::pair<std::string, std::string>> files_;  // role, path
};

// Whether two names, neither of which need exist, name the same file.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace kestrow::cli
