#include "Errors.h"

#include <cstdio>

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

void warn(const std::string& subject, const std::string& problem) {
  std::fprintf(stderr, "kestrow: warning: %s: %s\n", subject.c_str(), problem.c_str());
}

}  // namespace kestrow::cli
