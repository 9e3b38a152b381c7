#include "Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kestrow::cli {

CliError::CliError(ErrorKind kind, std::string subject, std::string problem)
    : std::runtime_error(subject + ": " + problem),
      kind_(kind),
      subject_(std::move(subject)),
      problem_(std::move(problem)) {}

void usageError(const std::string& subject, const std::string& problem) {
  throw CliError(ErrorKind::Usage, subject, problem);
}

void failure(const std::string& subject, const std::string& problem) {
  throw CliError(ErrorKind::Failure, subject, problem);
}

std::string inParentheses(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (std::size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, "; ");
  return text.empty() ? text : " (" + text + ")";
}

void flushStandardOutput() {
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;
  if (!flushed || std::ferror(stdout))
    failure("standard output",
            "cannot be written" + inParentheses(flushed ? "" : std::strerror(error)));
}

void warn(const std::string& subject, const std::string& problem) {
  std::fprintf(stderr, "kestrow: warning: %s: %s\n", subject.c_str(), problem.c_str());
}

}  // namespace kestrow::cli
