// The tool's single error contract: every failure carries the file or control
// it concerns and a plain description, and is reported on stderr as
// `kestrow: error: <subject>: <problem>`. Usage errors (the command line or
// a value the user gave is wrong) exit with 2, everything else with 1.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrow::cli {

enum class ErrorKind { Usage, Failure };

class CliError : public std::runtime_error {
 public:
  CliError(ErrorKind kind, std::string subject, std::string problem);

  ErrorKind kind() const { return kind_; }
  const std::string& subject() const { return subject_; }
  const std::string& problem() const { return problem_; }
  int exitCode() const { return kind_ == ErrorKind::Usage ? 2 : 1; }

 private:
  ErrorKind kind_;
  std::string subject_;
  std::string problem_;
};

[[noreturn]] void usageError(const std::string& subject, const std::string& problem);
[[noreturn]] void failure(const std::string& subject, const std::string& problem);

// " (<text>)" for a library's error text, its lines joined with "; " so
// that every message stays one line; "" when there is no text.
std::string inParentheses(std::string text);

// Flushes standard output; throws a failure naming "standard output" when
// anything written to it has not arrived (a full disk, a closed pipe).
void flushStandardOutput();

// `text` with control characters written as C escapes ("\n", "\x1b"), so
// that a file name can neither break a message's line nor reach the
// terminal as a command.
std::string escapeControls(const std::string& text);

// Prints `kestrow: error: <subject>: <problem>` on stderr, control
// characters escaped; a subject that holds any is quoted.
void printError(const std::string& subject, const std::string& problem);

// Prints `kestrow: warning: <subject>: <problem>` on stderr, likewise.
void warn(const std::string& subject, const std::string& problem);

}  // namespace kestrow::cli
