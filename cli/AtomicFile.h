// Outputs appear complete or not at all: everything is written to a hidden
// temporary file in the target's folder (so the final rename stays on one
// file system and is atomic), which is synced to disk and renamed over the
// target only when every byte reached it. A failure, an exception or an
// interruption removes the temporary and leaves an existing target as it was.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kestrow::cli {

class PendingFile {
 public:
  // Creates ".kestrow-<pid>-<n>.tmp" beside `target` (short, so that a
  // target name near the file system's limit still fits). A target that is
  // a symbolic link is written at the file it leads to, which keeps its
  // mode, owner and group when it exists. Throws a failure CliError naming
  // the target when it cannot, and when the target exists and is not a
  // regular file (a device or a pipe is never replaced). The first file
  // written in a folder removes the temporaries that killed runs left there.
  explicit PendingFile(std::filesystem::path target);
  ~PendingFile();  // removes the temporary unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  const std::filesystem::path& target() const { return target_; }
  const std::filesystem::path& temporary() const { return temporary_; }
  // Open for reading and writing; owned by this object.
  std::FILE* stream() const { return stream_; }

  // Records a failed write (an errno value) from code that cannot throw;
  // the first one is what commit() and failWrite() report.
  void noteWriteError(int error);
  bool writeFailed() const { return writeError_ != 0; }

  // Flushes, syncs and closes the temporary and renames it over the target.
  // When any step fails, or a write error was noted, removes the temporary
  // and throws a failure naming the target.
  void commit();

  // Removes the temporary and throws a failure naming the target.
  [[noreturn]] void fail(const std::string& problem);
  // The same for a writer that failed with `libraryText`: "cannot be
  // written (<why>)", where a write error noted before is the better why.
  [[noreturn]] void failWrite(const std::string& libraryText);

 private:
  void discard();

  std::filesystem::path target_, written_, temporary_;  // written_: target_'s links followed
  std::FILE* stream_ = nullptr;
  int writeError_ = 0;
  int slot_ = -1;
  bool done_ = false;
};

// Writes `text` to `target` through a PendingFile; throws naming `target`.
void writeTextAtomically(const std::filesystem::path& target, const std::string& text);

// `path` with its symbolic links followed to the name that is finally
// written (which need not exist yet); `path` itself when it is not a link.
std::filesystem::path linkTarget(const std::filesystem::path& path);

}  // namespace kestrow::cli
