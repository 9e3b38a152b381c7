// The in-process host: loads a plug-in file, checks its PiPL, runs global
// set-up and parameter set-up, creates effect instances and does the
// accounting of every command (Accounting.h). It keeps nothing of a command
// once its status is made, so a long run holds steady memory; the test
// library (kestrow_host_testing) is what records commands.
//
// Call order as the real host: load() sends PF_Cmd_GLOBAL_SETUP then
// PF_Cmd_PARAMS_SETUP; instances send their own sequence commands; unload()
// (or the destructor) sets every live instance down, then sends
// PF_Cmd_GLOBAL_SETDOWN and closes the library.
//
// Thread safety: load, unload and createInstance are for one thread at a
// time; an Instance may render on several threads at once (see Instance.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "kestrow/host/Accounting.h"
#include "kestrow/host/PiPL.h"
#include "kestrow/host/Status.h"

namespace kestrow::host {

class Instance;
struct SavedInstance;

struct HostOptions {
  // appl_id the plug-in sees: PF_APPL_ID_AFTER_EFFECTS ('FXTC') or
  // PF_APPL_ID_PREMIERE ('PrMr').
  A_long applId = PF_APPL_ID_AFTER_EFFECTS;
  // Worker threads of the pixel iteration suites; 0 = one per core.
  unsigned iterateThreads = 0;
  // When set, a command that leaves anything behind (LeakReport not empty)
  // fails with kLeak even if the plug-in returned PF_Err_NONE.
  bool strict = false;
  // Progress of the pixel iteration suites, as the real host shows it: called
  // after each finished row with a value from progress_base to
  // progress_final (the plug-in's arguments) and progress_final itself. May
  // be called from several worker threads at once; values arrive in no
  // particular order, and the last row's call carries progress_final.
  std::function<void(A_long current, A_long total)> progress = nullptr;
};

// One control as the plug-in defined it in PF_Cmd_PARAMS_SETUP. Strings the
// record points to (popup items, check-box label) are copied into the host,
// and the record's pointers are redirected to those copies.
struct ParamInfo {
  PF_ParamDef def{};       // as added; values hold the defaults
  std::string popupItems;  // popup: "A|B|(-|C"; empty otherwise
  std::string checkboxLabel;
  int popupItemCount = 0;  // items including separators; 0 for non-popups
};

class Host {
 public:
  explicit Host(HostOptions options = {});
  ~Host();  // unloads
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Opens the plug-in file, reads and checks its PiPL (for "X.so" the side
  // file "X.pipl"; on Windows the DLL's PIPL resource 16000), resolves the
  // PiPL's entry point, sends global set-up and checks that my_version,
  // out_flags and out_flags2 equal the PiPL's eVER, eGLO and eGL2, then sends
  // parameter set-up. Any failure leaves the host unloaded (global set-down
  // sent if global set-up succeeded) and is reported: kLoadFailed,
  // kPiPLInvalid, kPiPLMismatch, kPluginError, kPluginThrew or kLeak.
  Status load(const std::filesystem::path& pluginFile);

  // Reads and checks the PiPL of a plug-in file without loading any code.
  static Status readPiPL(const std::filesystem::path& pluginFile, PiPL& out);

  // Sets every live instance down, sends global set-down, closes the
  // library. Reports the first failure but always finishes; a no-op when
  // nothing is loaded. Handles the plug-in left behind are freed here.
  Status unload();

  bool loaded() const;
  const PiPL& pipl() const;  // valid while loaded
  const HostOptions& options() const;

  // What global set-up announced.
  A_u_long announcedVersion() const;
  PF_OutFlags announcedOutFlags() const;
  PF_OutFlags2 announcedOutFlags2() const;

  // The parameter records from parameter set-up: index 0 the input layer,
  // then the plug-in's controls in order.
  const std::vector<ParamInfo>& params() const;

  // The plug-in id the host handed out from AEGP_RegisterWithAEGP (0: none).
  A_long registeredPluginId() const;

  // New effect instance with every control at its default: sends
  // PF_Cmd_SEQUENCE_SETUP, then PF_Cmd_UPDATE_PARAMS_UI when the plug-in
  // asked for it.
  Status createInstance(std::unique_ptr<Instance>& out);

  // An instance from a saved project: controls as saved, the stored
  // sequence block handed over byte for byte with PF_Cmd_SEQUENCE_RESETUP.
  Status loadInstance(const SavedInstance& saved, std::unique_ptr<Instance>& out);

  // Handles currently allocated through this host (global and sequence data
  // included), and how many of them were never handed back to the host.
  std::size_t liveHandles() const;

  struct State;

 private:
  friend struct StateOf;  // the host library's own sources and test hooks
  std::shared_ptr<State> state_;
};

}  // namespace kestrow::host
