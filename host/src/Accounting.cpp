#include "kestrow/host/Accounting.h"

namespace kestrow::host {

bool LeakReport::empty() const {
  return handleSizes.empty() && suites.empty() && paramsCheckedOut.empty() && effectRefs == 0 &&
         streamRefs.empty() && lockedHandles == 0 && unimplementedCalls.empty();
}

std::string LeakReport::describe() const {
  std::string out;
  auto add = [&out](const std::string& part) {
    if (!out.empty()) out += "; ";
    out += part;
  };
  if (!handleSizes.empty()) {
    std::string sizes;
    for (std::uint64_t size : handleSizes)
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(size);
    add(std::to_string(handleSizes.size()) + " handle(s) not disposed (bytes: " + sizes + ")");
  }
  if (lockedHandles != 0) add(std::to_string(lockedHandles) + " handle(s) left locked");
  for (const SuiteBalance& suite : suites) {
    add("\"" + suite.name + "\" " + std::to_string(suite.version) +
        (suite.count > 0 ? " still acquired " + std::to_string(suite.count) + "x"
                         : " released " + std::to_string(-suite.count) + "x more than acquired"));
  }
  if (!paramsCheckedOut.empty()) {
    std::string indices;
    for (PF_ParamIndex i : paramsCheckedOut)
      indices += (indices.empty() ? "" : ", ") + std::to_string(i);
    add("parameter(s) still checked out: " + indices);
  }
  if (effectRefs != 0) add(std::to_string(effectRefs) + " effect reference(s) not disposed");
  if (!streamRefs.empty()) {
    std::string indices;
    for (PF_ParamIndex i : streamRefs) indices += (indices.empty() ? "" : ", ") + std::to_string(i);
    add("stream reference(s) not disposed, index " + indices);
  }
  if (!unimplementedCalls.empty()) {
    std::string slots;
    for (HostCallId slot : unimplementedCalls) {
      slots += (slots.empty() ? "" : ", ") + std::string(hostCallName(slot));
    }
    add("unimplemented host function(s) called: " + slots);
  }
  return out;
}

std::string commandName(PF_Cmd cmd) {
  static const char* const kNames[] = {"ABOUT",
                                       "GLOBAL_SETUP",
                                       "UNUSED_0",
                                       "GLOBAL_SETDOWN",
                                       "PARAMS_SETUP",
                                       "SEQUENCE_SETUP",
                                       "SEQUENCE_RESETUP",
                                       "SEQUENCE_FLATTEN",
                                       "SEQUENCE_SETDOWN",
                                       "DO_DIALOG",
                                       "FRAME_SETUP",
                                       "RENDER",
                                       "FRAME_SETDOWN",
                                       "USER_CHANGED_PARAM",
                                       "UPDATE_PARAMS_UI",
                                       "EVENT",
                                       "GET_EXTERNAL_DEPENDENCIES",
                                       "COMPLETELY_GENERAL",
                                       "QUERY_DYNAMIC_FLAGS",
                                       "AUDIO_RENDER",
                                       "AUDIO_SETUP",
                                       "AUDIO_SETDOWN",
                                       "ARBITRARY_CALLBACK",
                                       "SMART_PRE_RENDER",
                                       "SMART_RENDER",
                                       "RESERVED1",
                                       "RESERVED2",
                                       "RESERVED3",
                                       "GET_FLATTENED_SEQUENCE_DATA",
                                       "TRANSLATE_PARAMS_TO_PREFS",
                                       "RESERVED4",
                                       "SMART_RENDER_GPU",
                                       "GPU_DEVICE_SETUP",
                                       "GPU_DEVICE_SETDOWN"};
  static_assert(sizeof kNames / sizeof kNames[0] == PF_Cmd_NUM_CMDS);
  if (cmd >= 0 && cmd < PF_Cmd_NUM_CMDS) return kNames[cmd];
  return "CMD_" + std::to_string(cmd);
}

}  // namespace kestrow::host
