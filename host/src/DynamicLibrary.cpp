#include "DynamicLibrary.h"

#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "AE_PiPL.h"
#include "LibraryFile.h"

namespace kestrow::host {

namespace {

// The system loaders search their own paths for a name without a folder
// ("Kestrow.so" could load another library of that name): the file named
// is always the file checked and loaded.
std::filesystem::path fullPath(const std::filesystem::path& name) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(name, ec);
  return ec ? name : full;
}

}  // namespace

DynamicLibrary::~DynamicLibrary() { close(); }

#ifdef _WIN32

bool DynamicLibrary::open(const std::filesystem::path& name, std::string& error) {
  close();
  const std::filesystem::path file = fullPath(name);
  error = libraryFileProblem(file);
  if (!error.empty()) return false;
  HMODULE module = LoadLibraryW(file.wstring().c_str());
  if (module == nullptr) {
    error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return false;
  }
  handle_ = module;
  return true;
}

void DynamicLibrary::close() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

void* DynamicLibrary::symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

bool readPiPLBytes(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  error = libraryFileProblem(file);
  if (!error.empty()) return false;
  // Loaded as data only: reading the description runs none of the plug-in's code.
  HMODULE module = LoadLibraryExW(file.wstring().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) {
    error = "cannot open the file (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  bool ok = false;
  HRSRC res =
      FindResourceExW(module, L"PIPL", MAKEINTRESOURCEW(PiPL_RESOURCE_ID), PiPL_RESOURCE_LANGUAGE);
  if (res == nullptr) {
    error = "no PIPL resource 16000 (language 1033)";
  } else {
    HGLOBAL loaded = LoadResource(module, res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, res);
    if (data == nullptr) {
      error = "PIPL resource cannot be read";
    } else {
      const auto* p = static_cast<const std::uint8_t*>(data);
      bytes.assign(p, p + size);
      ok = true;
    }
  }
  FreeLibrary(module);
  return ok;
}

#else

bool DynamicLibrary::open(const std::filesystem::path& name, std::string& error) {
  close();
  const std::filesystem::path file = fullPath(name);
  error = libraryFileProblem(file);
  if (!error.empty()) return false;
  // RTLD_LOCAL: two plug-ins (or two copies of one) keep their symbols apart.
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* message = dlerror();
    error = message ? message : "dlopen failed";
    return false;
  }
  return true;
}

void DynamicLibrary::close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

void* DynamicLibrary::symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, name.c_str());
}

bool readPiPLBytes(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  std::filesystem::path side = file;
  side.replace_extension(".pipl");
  std::error_code ec;
  if (std::filesystem::exists(side, ec) && !std::filesystem::is_regular_file(side, ec)) {
    error = "PiPL side file " + side.string() + " is not a regular file";
    return false;
  }
  std::ifstream in(side, std::ios::binary);
  if (!in) {
    error = "no PiPL side file " + side.string();
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + side.string();
    return false;
  }
  return true;
}

#endif

}  // namespace kestrow::host
