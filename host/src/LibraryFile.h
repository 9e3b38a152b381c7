// Checks a library file before the platform's loader maps it. The loaders
// map a library's segments straight from the file: a segment that reaches
// past the end of a truncated file faults on first touch (a bus error inside
// dlopen) instead of failing the load. So the headers are read here and every
// byte range they name is checked against the file's size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>

namespace kestrow::host {

// Empty when `file` is a regular file whose headers (ELF here, PE on
// Windows) lie within it and name only byte ranges inside it; otherwise
// what is wrong ("truncated: ...", "not a regular file", ...).
std::string libraryFileProblem(const std::filesystem::path& file);

// The two format checks on their own, for any platform: `in` holds a file
// of `size` bytes. ELF: the program header table, each segment's file bytes
// and the section header table. PE: the headers, the section table and
// each section's raw data.
std::string elfProblem(std::istream& in, std::uint64_t size);
std::string peProblem(std::istream& in, std::uint64_t size);

}  // namespace kestrow::host
