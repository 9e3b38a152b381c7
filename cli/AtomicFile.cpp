#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <set>
#include <system_error>

#include "Errors.h"
#include "FileChecks.h"
#include "Interrupts.h"

namespace kestrow::cli {
namespace fs = std::filesystem;

namespace {

unsigned counter = 0;

std::string cannotWrite(int error) {
  return "cannot be written (" + std::string(std::strerror(error)) + ")";
}

// Why a file in `target`'s folder cannot be created, in the user's terms.
std::string createProblem(const fs::path& target, int error) {
  std::error_code ec;
  const fs::path folder = target.parent_path();
  if (error == ENOENT && !folder.empty() && !fs::is_directory(folder, ec))
    return "cannot be written (folder " + folder.string() + " does not exist)";
  return cannotWrite(error);
}

// The replacement takes over what the file it replaces had: mode, owner
// and group (as far as this process may set them).
void keepAttributes(int fd, const fs::path& replaced) {
  struct stat old {};
  if (::stat(replaced.c_str(), &old) != 0) return;
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
    // Not ours to give away: the file keeps this process's owner and group.
  }
  ::fchmod(fd, old.st_mode & 07777);
}

// Removes, once per folder and process, the temporaries that runs killed
// outright (SIGKILL, a power cut) left in `folder`: those whose process no
// longer runs here and that have not been written to for ten minutes (a
// process on another machine sharing the folder keeps writing to its own).
void removeStaleTemporaries(const fs::path& folder) {
  static std::set<fs::path> cleaned;
  if (!cleaned.insert(folder).second) return;
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    unsigned long pid = 0;
    int used = 0;
    if (std::sscanf(name.c_str(), ".kestrow-%lu-%*u.tmp%n", &pid, &used) != 1 ||
        used != int(name.size()) || pid == 0 || pid > 0x7fffffff || pid_t(pid) == ::getpid())
      continue;
    if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code age;
    const auto written = fs::last_write_time(it->path(), age);
    if (age || now - written < std::chrono::minutes(10)) continue;
    if (fs::remove(it->path(), age))
      warn(it->path().string(), "removed: the unfinished file of a run that was killed");
  }
}

}  // namespace

fs::path linkTarget(const fs::path& path) {
  fs::path name = path;
  std::error_code ec;
  // Forty hops, as the kernel allows, before a loop of links is given up.
  for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(name, ec)); ++hop) {
    const fs::path link = fs::read_symlink(name, ec);
    if (ec) break;
    name = link.is_absolute() ? link : name.parent_path() / link;
  }
  return name;
}

PendingFile::PendingFile(fs::path target)
    : target_(std::move(target)), written_(linkTarget(target_)) {
  requireWritableOutput(target_.string());
  removeStaleTemporaries(written_.parent_path());
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    const std::string name =
        ".kestrow-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    temporary_ = written_.parent_path() / name;
    // Registered before it exists, so that no moment leaves it behind.
    slot_ = rememberUnfinished(temporary_, target_);
    fd = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int error = errno;
      forgetUnfinished(slot_);
      if (error != EEXIST) failure(target_.string(), createProblem(target_, error));
    }
  }
  if (fd < 0) failure(target_.string(), createProblem(target_, EEXIST));
  keepAttributes(fd, written_);
  stream_ = ::fdopen(fd, "w+b");
  if (!stream_) {
    const int error = errno;
    ::close(fd);
    fail(cannotWrite(error));
  }
}

PendingFile::~PendingFile() {
  if (!done_) discard();
}

void PendingFile::discard() {
  done_ = true;
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  ::unlink(temporary_.c_str());
  forgetUnfinished(slot_);
}

void PendingFile::noteWriteError(int error) {
  if (writeError_ == 0) writeError_ = error ? error : EIO;
}

void PendingFile::fail(const std::string& problem) {
  discard();
  failure(target_.string(), problem);
}

void PendingFile::failWrite(const std::string& libraryText) {
  if (writeError_ != 0) fail(cannotWrite(writeError_));
  fail("cannot be written" + inParentheses(libraryText));
}

void PendingFile::commit() {
  // Each step can be the first to see that the disk is full: buffered data
  // meets the disk at fflush, delayed allocation at fsync, and some file
  // systems report only at close.
  if (writeError_ == 0 && (std::fflush(stream_) != 0 || ::fsync(::fileno(stream_)) != 0))
    writeError_ = errno;
  const int closed = std::fclose(stream_);
  stream_ = nullptr;
  if (writeError_ == 0 && closed != 0) writeError_ = errno;
  if (writeError_ != 0) fail(cannotWrite(writeError_));
  // Checked again: a device or a pipe may have taken the name since.
  requireWritableOutput(target_.string());
  if (::rename(temporary_.c_str(), written_.c_str()) != 0) fail(cannotWrite(errno));
  done_ = true;
  forgetUnfinished(slot_);
  // The rename itself reaches the disk with the folder.
  const fs::path folder = written_.parent_path().empty() ? fs::path(".") : written_.parent_path();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void writeTextAtomically(const fs::path& target, const std::string& text) {
  PendingFile file(target);
  if (std::fwrite(text.data(), 1, text.size(), file.stream()) != text.size())
    file.noteWriteError(errno);
  file.commit();
}

}  // namespace kestrow::cli
