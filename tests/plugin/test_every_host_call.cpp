// Every host call of every command the plug-in handles, failed in turn: the
// command runs once to count its calls into the host, then once more for
// each N with call N failing. Each time nothing may crash, the result must
// be the error the plug-in gives for that failure (or success where the
// failure is harmless), and no command may leave anything behind or call a
// slot it should not. The clean run's calls must come in the order written
// in the table, and so must the parameters and suites they name where the
// table gives those.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "RenderTestSupport.h"

namespace kestrow::test {
namespace {

// One host, one effect instance and the frames a scenario works on.
struct Session {
  hooks::TestHost host;
  std::unique_ptr<host::Instance> instance;
  host::SavedInstance saved;
  host::PixelDepth depth = host::PixelDepth::kFloat32;
  bool picture = false;  // a picture in the Layer control
  host::World input{6, 4, host::PixelDepth::kFloat32};
  host::World output{6, 4, host::PixelDepth::kFloat32};

  Session() : host({.iterateThreads = 2}) {}
  void load() { ASSERT_TRUE(isOk(host.load(pluginFile()))); }
  void instantiate() {
    load();
    ASSERT_TRUE(isOk(host.createInstance(instance)));
  }
  void prepareFrame() {
    instantiate();
    ASSERT_TRUE(isOk(instance->setPopup(MATTE_MODE, popupValue(Mode::Layer))));
    if (picture) {
      ASSERT_TRUE(
          isOk(instance->setLayer(MATTE_LAYER, std::make_shared<host::World>(positionPass(3, 2)))));
    }
    input = host::World(6, 4, depth);
    output = host::World(6, 4, depth);
  }
};

struct Scenario {
  const char* name;
  PF_Cmd cmd;  // the command whose host calls are failed
  std::function<void(Session&)> prepare;
  std::function<void(Session&)> act;
  // The clean run's host calls by member name, repeats as "name*n".
  std::string calls;
  host::PixelDepth depth = host::PixelDepth::kFloat32;
  bool picture = false;
  // A call whose failure the command gets over with success.
  const char* harmless = "ReleaseSuite";
  // When given, the clean run's CommandRecord::callTargets.
  std::vector<std::string> targets = {};
};

// Test names carry the scenario's name; its bytes say nothing.
void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

void none(Session&) {}
void load(Session& s) { s.load(); }
void instantiate(Session& s) { s.instantiate(); }
// The swept steps report through the command log, not their status.
void tryLoad(Session& s) { (void)s.host.load(pluginFile()); }
void tryInstantiate(Session& s) { (void)s.host.createInstance(s.instance); }
void prepareFrame(Session& s) { s.prepareFrame(); }
void render(Session& s) { (void)s.instance->render(s.input, s.output); }

// "calls" n times, blank-separated.
std::string repeated(const std::string& calls, int n) {
  std::string out = calls;
  for (int i = 1; i < n; ++i) out += " " + calls;
  return out;
}

// In "Layer" mode: the input's pixels, the output, the controls, then the
// picture's pixels.
constexpr const char* kRenderCalls =
    "checkout_layer_pixels checkout_output checkout_param*24 checkout_layer_pixels AcquireSuite "
    "PF_GetPixelFormat AcquireSuite iterate_origin ReleaseSuite*2 checkin_param*24";

// The controls a frame reads, in the order it checks them out and back in.
const std::vector<PF_ParamIndex> kFrameControls = {
    MATTE_ALPHA_MATTE, MATTE_INVERT,   MATTE_MULTIPLY_VALUES,
    MATTE_THICKNESS,   MATTE_FEATHER,  MATTE_SCALE_Z,
    MATTE_SCALE_Y,     MATTE_SCALE_X,  MATTE_OFFSET,
    MATTE_FREQUENCY,   MATTE_SIZE_Z,   MATTE_SIZE_Y,
    MATTE_SIZE_X,      MATTE_RADIUS,   MATTE_AXIS,
    MATTE_POSITION,    MATTE_MODE,     MATTE_TILE,
    MATTE_OFFSET_U,    MATTE_OFFSET_V, MATTE_ROTATE_ORDER,
    MATTE_ROTATE_X,    MATTE_ROTATE_Y, MATTE_ROTATE_Z};

// The parameters `params` checked out in order, then `between`, then the
// same parameters checked back in, in the same order.
std::vector<std::string> checkedOutAround(const std::vector<PF_ParamIndex>& params,
                                          const std::vector<std::string>& between) {
  std::vector<std::string> out;
  for (PF_ParamIndex i : params) out.push_back("checkout_param " + std::to_string(i));
  out.insert(out.end(), between.begin(), between.end());
  for (PF_ParamIndex i : params) out.push_back("checkin_param " + std::to_string(i));
  return out;
}

Scenario frame(const char* name, host::PixelDepth depth, bool picture) {
  const std::string iterate = depth == host::PixelDepth::kFloat32 ? "PF iterateFloat Suite 1"
                              : depth == host::PixelDepth::kU16   ? "PF iterate16 Suite 1"
                                                                  : "PF Iterate8 Suite 1";
  const std::string world = "PF World Suite 2";
  return {name,
          PF_Cmd_SMART_RENDER,
          prepareFrame,
          render,
          kRenderCalls,
          depth,
          picture,
          "ReleaseSuite",
          checkedOutAround(kFrameControls, {"AcquireSuite " + world, "AcquireSuite " + iterate,
                                            "ReleaseSuite " + world, "ReleaseSuite " + iterate})};
}

const Scenario kScenarios[] = {
    {"GlobalSetup", PF_Cmd_GLOBAL_SETUP, none, tryLoad,
     "AcquireSuite*2 host_new_handle host_lock_handle AEGP_RegisterWithAEGP host_unlock_handle "
     "ReleaseSuite*2"},
    // Without the handle suite the block goes back through the utils.
    {"GlobalSetdown", PF_Cmd_GLOBAL_SETDOWN, load, [](Session& s) { (void)s.host.unload(); },
     "AcquireSuite host_dispose_handle ReleaseSuite", host::PixelDepth::kFloat32, false,
     "AcquireSuite"},
    {"ParamsSetup", PF_Cmd_PARAMS_SETUP, none, tryLoad, repeated("strcpy add_param", 26)},
    {"SequenceSetup", PF_Cmd_SEQUENCE_SETUP, load, tryInstantiate, "host_new_handle"},
    {"SequenceResetup", PF_Cmd_SEQUENCE_RESETUP,
     [](Session& s) {
       s.instantiate();
       ASSERT_TRUE(isOk(s.instance->save(s.saved)));
     },
     [](Session& s) {
       std::unique_ptr<host::Instance> restored;
       (void)s.host.loadInstance(s.saved, restored);
     },
     "host_dispose_handle host_new_handle"},
    // Saving hands the block back as its flat form; nothing to fail.
    {"SequenceFlatten", PF_Cmd_SEQUENCE_FLATTEN, instantiate,
     [](Session& s) { (void)s.instance->save(s.saved); }, ""},
    {"SequenceSetdown", PF_Cmd_SEQUENCE_SETDOWN, instantiate,
     [](Session& s) { (void)s.instance->close(); }, "host_dispose_handle"},
    {"About", PF_Cmd_ABOUT, load,
     [](Session& s) {
       PF_InData in = hooks::makeInData(s.host);
       PF_OutData out{};
       (void)hooks::rawCall(s.host, PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr);
     },
     "AcquireSuite sprintf ReleaseSuite"},
    {"UpdateParamsUI", PF_Cmd_UPDATE_PARAMS_UI, instantiate,
     [](Session& s) { (void)s.instance->updateParamsUI(); },
     "AcquireSuite*4 AEGP_GetNewEffectForEffect AEGP_GetNewEffectStreamByIndex*16 "
     "AEGP_SetDynamicStreamFlag*16 AEGP_DisposeStream*16 AEGP_DisposeEffect ReleaseSuite*4"},
    {"PickPoint", PF_Cmd_USER_CHANGED_PARAM, instantiate,
     [](Session& s) {
       (void)s.instance->pickColor(MATTE_PICK_POINT, {1, 0.5f, -2, 7});
     },
     "AcquireSuite PF_GetFloatingPointColorFromColorDef ReleaseSuite"},
    {"QueryDynamicFlags", PF_Cmd_QUERY_DYNAMIC_FLAGS, instantiate,
     [](Session& s) { (void)s.instance->queryDynamicFlags(); }, "checkout_param checkin_param",
     host::PixelDepth::kFloat32, false, "ReleaseSuite", checkedOutAround({MATTE_MODE}, {})},
    // "Layer" mode: the input, "Mode", then the picture layer.
    {"SmartPreRender", PF_Cmd_SMART_PRE_RENDER, prepareFrame, render,
     "checkout_layer checkout_param checkin_param checkout_layer", host::PixelDepth::kFloat32,
     false, "ReleaseSuite", checkedOutAround({MATTE_MODE}, {})},
    frame("SmartRender32", host::PixelDepth::kFloat32, false),
    frame("SmartRender32Picture", host::PixelDepth::kFloat32, true),
    frame("SmartRender16", host::PixelDepth::kU16, false),
    frame("SmartRender16Picture", host::PixelDepth::kU16, true),
    frame("SmartRender8", host::PixelDepth::kU8, false),
    frame("SmartRender8Picture", host::PixelDepth::kU8, true),
};

// The host calls of a record as member names, repeats folded into "name*n".
std::string callsOf(const host::CommandRecord& record) {
  std::string out;
  const auto& log = record.hostCallLog;
  for (std::size_t i = 0; i < log.size();) {
    std::size_t n = 1;
    while (i + n < log.size() && log[i + n] == log[i]) ++n;
    const std::string slot = host::hostCallName(log[i]);
    const std::string member = slot.substr(slot.rfind('.') + 1);
    out += (out.empty() ? "" : " ") + member + (n > 1 ? "*" + std::to_string(n) : "");
    i += n;
  }
  return out;
}

// The result a command must give when its host call `slot` failed: success
// where it gets over the failure, the plug-in's own code where it makes
// one, and the host's error otherwise.
PF_Err expectedFor(const Scenario& scenario, const std::string& slot, PF_Err injected) {
  const std::string member = slot.substr(slot.rfind('.') + 1);
  if (member == "ReleaseSuite" || member == scenario.harmless) return PF_Err_NONE;
  if (member == "AcquireSuite") return PF_Err_BAD_CALLBACK_PARAM;
  if (member == "host_new_handle" || member == "host_lock_handle") {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  return injected;
}

// Runs the scenario on a fresh session with `faults`; returns the swept
// command's record (the last one sent) and checks every command of the run
// left nothing behind.
host::CommandRecord run(const Scenario& scenario, const host::FaultInjection& faults) {
  Session session;
  session.depth = scenario.depth;
  session.picture = scenario.picture;
  scenario.prepare(session);
  hooks::faults(session.host) = faults;
  scenario.act(session);
  host::CommandRecord swept;
  for (const host::CommandRecord& record : session.host.commandLog()) {
    EXPECT_TRUE(leftNothing(record));
    EXPECT_FALSE(record.threw) << host::commandName(record.cmd);
    if (record.cmd == scenario.cmd) swept = record;
  }
  hooks::faults(session.host) = {};
  EXPECT_TRUE(isOk(session.host.unload()));
  EXPECT_EQ(session.host.liveHandles(), 0u);
  return swept;
}

class EveryHostCall : public ::testing::TestWithParam<Scenario> {};

TEST_P(EveryHostCall, FailsCleanlyWhereverItFails) {
  const Scenario& scenario = GetParam();
  const host::CommandRecord clean = run(scenario, {});
  ASSERT_EQ(clean.cmd, scenario.cmd) << "the command was not sent";
  ASSERT_EQ(clean.err, PF_Err_NONE);
  EXPECT_EQ(callsOf(clean), scenario.calls);
  if (!scenario.targets.empty()) {
    EXPECT_EQ(clean.callTargets, scenario.targets);
  }

  host::FaultInjection faults;
  faults.failCallIn = scenario.cmd;
  int failed = 0;
  for (int n = 1; n <= clean.hostCalls; ++n) {
    const std::string slot = host::hostCallName(clean.hostCallLog[std::size_t(n - 1)]);
    SCOPED_TRACE("host call " + std::to_string(n) + ": " + slot);
    faults.failCall = n;
    const host::CommandRecord record = run(scenario, faults);
    if (HasFatalFailure()) return;
    if (record.faultAt == 0) {  // a call that cannot fail
      EXPECT_EQ(record.err, PF_Err_NONE);
      continue;
    }
    ++failed;
    EXPECT_EQ(record.faultAt, n);
    EXPECT_EQ(record.err, expectedFor(scenario, slot, faults.error));
  }
  RecordProperty("hostCalls", clean.hostCalls);
  RecordProperty("callsFailed", failed);
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryHostCall, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrow::test
