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

std::string escapeControls(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    }
  }
  return out;
}

namespace {

void printLine(const char* kind, const std::string& subject, const std::string& problem) {
  const std::string shown = escapeControls(subject);
  std::fprintf(stderr, "kestrow: %s: %s: %s\n", kind,
               (shown == subject ? shown : "\"" + shown + "\"").c_str(),
               escapeControls(problem).c_str());
}

}  // namespace

void printError(const std::string& subject, const std::string& problem) {
  printLine("error", subject, problem);
}

void warn(const std::string& subject, const std::string& problem) {
  printLine("warning", subject, problem);
}

}  // namespace kestrow::cli
