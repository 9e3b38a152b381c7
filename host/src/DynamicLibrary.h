// Opening a plug-in file and reading what the platform keeps inside it: the
// only platform-specific code of the host (dlopen here, LoadLibrary on
// Windows).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrow::host {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();  // closes
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // False with a message when the file can't be opened: not a regular file,
  // headers that reach past its end (checked before the platform's loader
  // maps anything), or the platform's own refusal.
  bool open(const std::filesystem::path& file, std::string& error);
  void close();
  bool isOpen() const { return handle_ != nullptr; }
  // The exported symbol, or null.
  void* symbol(const std::string& name) const;

 private:
  void* handle_ = nullptr;
};

// The PiPL bytes of a plug-in file: on Windows the PIPL resource 16000
// (language 1033) of the DLL, elsewhere the side file with the extension
// ".pipl". False with a message when there is none, or it is not a regular
// file.
bool readPiPLBytes(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes,
                   std::string& error);

}  // namespace kestrow::host
