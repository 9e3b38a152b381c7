// The host driving a small fake effect: loading checks, the command
// sequence after a change, and the accounting of what a command leaves.
#include "kestrow/host/Host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "AE_PiPL.h"
#include "AllocationCount.h"
#include "DynamicLibrary.h"
#include "FakePluginBehaviour.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/TestHooks.h"
#include "kestrow/host/World.h"

namespace kestrow::host {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> fakePiPL(std::uint32_t version) {
  auto p = [](std::uint32_t key, std::vector<std::uint8_t> data) {
    return PiPLProperty{PIPL_VENDOR_8BIM, key, 0, std::move(data)};
  };
  return encodePiPL({p(PIPL_KEY_KIND, piplU32(PIPL_KIND_EFFECT)),
                     p(PIPL_KEY_NAME, piplPascalString("Fake")),
                     p(currentPlatformCodeKey(), piplCString("EntryPointFunc")),
                     p(PIPL_KEY_AE_EFFECT_VERSION, piplU32(version)),
                     p(PIPL_KEY_AE_OUT_FLAGS, piplU32(kFakeOutFlags)),
                     p(PIPL_KEY_AE_OUT_FLAGS_2, piplU32(kFakeOutFlags2)),
                     p(PIPL_KEY_AE_MATCH_NAME, piplPascalString("Fake"))});
}

// A private copy of the fake module with its own PiPL side file.
class HostTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kestrow-host-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()));
    fs::create_directories(dir_);
    module_ = dir_ / fs::path(KESTROW_FAKE_PLUGIN).filename();
    fs::copy_file(KESTROW_FAKE_PLUGIN, module_, fs::copy_options::overwrite_existing);
    writePiPL(kFakeVersion);
  }
  void TearDown() override {
    control_.close();
    fs::remove_all(dir_);
  }

  void writePiPL(std::uint32_t version) {
    const std::vector<std::uint8_t> bytes = fakePiPL(version);
    std::ofstream(fs::path(module_).replace_extension(".pipl"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  // Same file, same loaded copy: the host's module is the one told here.
  void behave(FakeBehaviour behaviour) {
    std::string error;
    if (!control_.isOpen()) {
      ASSERT_TRUE(control_.open(module_, error)) << error;
    }
    auto set = reinterpret_cast<void (*)(int)>(control_.symbol("FakeSetBehaviour"));
    ASSERT_NE(set, nullptr);
    set(behaviour);
  }

  PF_Err about(hooks::TestHost& host) {
    PF_InData in = hooks::makeInData(host);
    PF_OutData out{};
    return hooks::rawCall(host, PF_Cmd_ABOUT, in, out, nullptr, nullptr, nullptr);
  }

  fs::path dir_, module_;
  DynamicLibrary control_;
};

TEST_F(HostTest, LoadsAndRecordsTheParameterSet) {
  Host host;
  ASSERT_TRUE(host.load(module_).ok());
  EXPECT_EQ(host.pipl().name, "Fake");
  ASSERT_EQ(host.params().size(), 2u);
  EXPECT_EQ(host.params()[1].def.param_type, PF_Param_FLOAT_SLIDER);
  EXPECT_NE(host.registeredPluginId(), 0);
  EXPECT_EQ(host.liveHandles(), 1u);  // the global block
  EXPECT_TRUE(host.unload().ok());
  EXPECT_EQ(host.liveHandles(), 0u);
}

// A PiPL version that differs from the announced one (global set-down is
// sent), a missing, truncated or foreign library, a side file that is not a
// file, or a refused registration: the
// load fails and leaves nothing; the host can load again afterwards.
TEST_F(HostTest, LoadErrorsLeaveNothing) {
  hooks::TestHost host;
  auto expectNothingLoaded = [&] {
    EXPECT_FALSE(host.loaded());
    EXPECT_EQ(host.liveHandles(), 0u);
  };
  writePiPL(kFakeVersion + 1);
  Status status = host.load(module_);
  EXPECT_EQ(status.code, StatusCode::kPiPLMismatch) << status.message;
  EXPECT_NE(status.message.find("version"), std::string::npos) << status.message;
  EXPECT_EQ(host.lastCommand().cmd, PF_Cmd_GLOBAL_SETDOWN);
  expectNothingLoaded();
  writePiPL(kFakeVersion);

  EXPECT_EQ(host.load(dir_ / "absent.so").code, StatusCode::kPiPLInvalid);
  const fs::path stray = dir_ / "stray.so";
  std::ofstream(stray) << "not a library";
  fs::copy_file(fs::path(module_).replace_extension(".pipl"), dir_ / "stray.pipl");
  EXPECT_EQ(host.load(stray).code, StatusCode::kLoadFailed);
  expectNothingLoaded();
  // Cut inside its segments: refused before the loader maps it.
  fs::copy_file(module_, stray, fs::copy_options::overwrite_existing);
  fs::resize_file(stray, fs::file_size(stray) / 2);
  status = host.load(stray);
  EXPECT_EQ(status.code, StatusCode::kLoadFailed);
  EXPECT_NE(status.message.find(stray.string() + ": truncated: "), std::string::npos)
      << status.message;
  expectNothingLoaded();
  fs::remove(dir_ / "stray.pipl");
  fs::create_directory(dir_ / "stray.pipl");
  status = host.load(stray);
  EXPECT_EQ(status.code, StatusCode::kPiPLInvalid);
  EXPECT_NE(status.message.find("stray.pipl is not a regular file"), std::string::npos)
      << status.message;

  hooks::faults(host).fail(HostCallId::AEGP_UtilitySuite3_AEGP_RegisterWithAEGP);
  status = host.load(module_);
  EXPECT_EQ(status.pfErr, hooks::faults(host).error) << status.message;
  expectNothingLoaded();
  hooks::faults(host) = {};
  EXPECT_TRUE(host.load(module_).ok());
}

// A name without a folder is the file in the current folder, never a
// library of that name on the loader's search path (the C library's maths
// library is loaded already in this process).
TEST_F(HostTest, ABareNameIsTheFileInTheCurrentFolder) {
  const fs::path bare = "libm.so.6";
  fs::copy_file(module_, dir_ / bare);
  fs::copy_file(fs::path(module_).replace_extension(".pipl"), dir_ / "libm.so.pipl");
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  Host host;
  const Status status = host.load(bare);
  fs::current_path(before);
  EXPECT_TRUE(status.ok()) << status.message;
  EXPECT_TRUE(host.unload().ok());
}

TEST_F(HostTest, SupervisedChangeTakesOverTheValueThePluginMarked) {
  hooks::TestHost host({.strict = true});
  ASSERT_TRUE(host.load(module_).ok());
  std::unique_ptr<Instance> instance;
  ASSERT_TRUE(host.createInstance(instance).ok());
  host.clearCommandLog();
  ASSERT_TRUE(instance->setFloat(1, 3.0).ok());
  EXPECT_EQ(instance->param(1).u.fs_d.value, 6.0);
  const std::vector<CommandRecord> log = host.commandLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].cmd, PF_Cmd_USER_CHANGED_PARAM);
  EXPECT_EQ(log[1].cmd, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(instance->setFloat(1, 11.0).code, StatusCode::kInvalidArgument);
}

TEST_F(HostTest, EveryKindOfLeftoverIsReportedAndFailsStrictMode) {
  hooks::TestHost host({.strict = true});
  ASSERT_TRUE(host.load(module_).ok());
  std::unique_ptr<Instance> instance;
  ASSERT_TRUE(host.createInstance(instance).ok());

  behave(kFakeLeakHandle);
  EXPECT_EQ(about(host), PF_Err_NONE);
  EXPECT_EQ(host.lastCommand().leaks.handleSizes, std::vector<std::uint64_t>{3});

  behave(kFakeLeakSuite);
  about(host);
  ASSERT_EQ(host.lastCommand().leaks.suites.size(), 1u);
  EXPECT_EQ(host.lastCommand().leaks.suites[0].name, "PF ANSI Suite");
  EXPECT_EQ(host.lastCommand().leaks.suites[0].count, 1);

  behave(kFakeLeakCheckout);
  Status status = instance->setFloat(1, 1.0);
  EXPECT_EQ(status.code, StatusCode::kLeak);
  EXPECT_NE(status.message.find("checked out: 1"), std::string::npos) << status.message;

  behave(kFakeLeakReferences);
  status = instance->updateParamsUI();
  EXPECT_EQ(status.code, StatusCode::kLeak);
  EXPECT_EQ(host.lastCommand().leaks.effectRefs, 1);
  EXPECT_EQ(host.lastCommand().leaks.streamRefs, std::vector<PF_ParamIndex>{1});

  behave(kFakeWrongSlots);
  status = instance->updateParamsUI();
  EXPECT_EQ(status.code, StatusCode::kLeak);
  EXPECT_NE(status.message.find("AEGP_StreamSuite2.AEGP_IsStreamLegal"), std::string::npos)
      << status.message;
  EXPECT_EQ(host.lastCommand().leaks.unimplementedCalls,
            (std::vector<HostCallId>{HostCallId::AEGP_StreamSuite2_AEGP_IsStreamLegal,
                                     HostCallId::PF_UtilCallbacks_fill}));
  // A stand-in is a host call like any other: counted, and failed on request.
  hooks::faults(host).fail(HostCallId::PF_UtilCallbacks_fill);
  (void)instance->updateParamsUI();
  const CommandRecord& failed = host.lastCommand();
  ASSERT_GT(failed.faultAt, 0);
  EXPECT_EQ(failed.hostCallLog.at(std::size_t(failed.faultAt - 1)),
            HostCallId::PF_UtilCallbacks_fill);
  hooks::faults(host) = {};

  behave(kFakeWellBehaved);
  EXPECT_TRUE(instance->updateParamsUI().ok());
  EXPECT_TRUE(host.lastCommand().leaks.empty());
}

// An exception out of the entry point is contained and reported; an id the
// host never gave is refused.
TEST_F(HostTest, MisbehaviourIsContainedOrRefused) {
  hooks::TestHost host;
  ASSERT_TRUE(host.load(module_).ok());
  std::unique_ptr<Instance> instance;
  ASSERT_TRUE(host.createInstance(instance).ok());
  behave(kFakeThrow);
  EXPECT_EQ(about(host), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_TRUE(host.lastCommand().threw);
  behave(kFakeWrongPluginId);
  const Status status = instance->updateParamsUI();
  EXPECT_EQ(status.pfErr, PF_Err_BAD_CALLBACK_PARAM) << status.message;
  behave(kFakeWellBehaved);
  EXPECT_EQ(about(host), PF_Err_NONE);
}

// What After Effects documents and does not forgive, each caught where a
// lenient host would let it pass: the command's record names the breach
// (or the leak), and strict mode fails it.
struct Breach {
  const char* name;
  FakeBehaviour behaviour;
  std::function<Status(Instance&)> act;
  const char* misuse;  // part of the record's misuse line; null: a leak instead
};

Status renderFrame(Instance& instance) {
  World input(4, 3, PixelDepth::kFloat32), output(4, 3, PixelDepth::kFloat32);
  return instance.render(input, output);
}

const Breach kBreaches[] = {
    {"ZeroId", kFakeZeroCheckoutId, renderFrame, "ids must be positive"},
    {"RepeatedId", kFakeRepeatedCheckoutId, renderFrame, "ids must be unique"},
    {"PixelsTwice", kFakePixelsTwice, renderFrame, "taken twice"},
    {"UnrequestedPixels", kFakeUnrequestedPixels, renderFrame, "not checked out in pre-render"},
    {"LayerParamInRender", kFakeLayerParamInRender, renderFrame, "a layer parameter read"},
    {"EffectBeforeStreams", kFakeEffectBeforeStreams,
     [](Instance& i) { return i.updateParamsUI(); }, "stream reference(s) from it still live"},
    {"DisposeTwice", kFakeDisposeTwice, [](Instance& i) { return i.close(); }, "disposed twice"},
    {"FlattenDropsBlock", kFakeFlattenDropsBlock,
     [](Instance& i) {
       SavedInstance saved;
       return i.save(saved);
     },
     nullptr},
};

class HostBreachTest : public HostTest, public testing::WithParamInterface<Breach> {};

TEST_P(HostBreachTest, IsReportedAndFailsStrictMode) {
  const Breach& breach = GetParam();
  for (bool strict : {false, true}) {
    SCOPED_TRACE(strict ? "strict" : "lenient");
    hooks::TestHost host({.strict = strict});
    ASSERT_TRUE(host.load(module_).ok());
    std::unique_ptr<Instance> instance;
    ASSERT_TRUE(host.createInstance(instance).ok());
    behave(kFakeWellBehaved);
    ASSERT_TRUE(breach.act(*instance).ok());  // done right, nothing to report
    std::unique_ptr<Instance> again;
    ASSERT_TRUE(host.createInstance(again).ok());
    behave(breach.behaviour);
    const Status status = breach.act(*again);
    behave(kFakeWellBehaved);
    std::string lines;
    CommandRecord breached;
    for (const CommandRecord& record : host.commandLog()) {
      for (const std::string& m : record.misuses) lines += m + "\n";
      if (!record.misuses.empty() || !record.leaks.empty()) breached = record;
    }
    if (breach.misuse != nullptr) {
      EXPECT_NE(lines.find(breach.misuse), std::string::npos) << lines;
    } else {
      EXPECT_EQ(lines, "");
      EXPECT_FALSE(breached.leaks.handleSizes.empty()) << breached.leaks.describe();
    }
    if (strict) {
      EXPECT_FALSE(status.ok());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Documented, HostBreachTest, testing::ValuesIn(kBreaches),
                         [](const auto& info) { return std::string(info.param.name); });

// Pre-render may come several times before a render, or with no render at
// all; project operations replace the block as the effect answers. Nothing
// is left behind either way.
TEST_F(HostTest, RepeatedPreRendersAndProjectOperationsLeaveNothing) {
  hooks::TestHost host({.strict = true});
  ASSERT_TRUE(host.load(module_).ok());
  std::unique_ptr<Instance> instance;
  ASSERT_TRUE(host.createInstance(instance).ok());
  World input(4, 3, PixelDepth::kFloat32), output(4, 3, PixelDepth::kFloat32);
  hooks::RenderReport report;
  EXPECT_TRUE(hooks::render(*instance, input, output, {.preRenders = 3}, report).ok());
  EXPECT_EQ(report.checkoutIds, std::vector<A_long>{1});  // the last pre-render's
  EXPECT_TRUE(instance->preRender(input, output, {.preRenders = 2}).ok());
  SavedInstance saved;
  EXPECT_TRUE(instance->save(saved).ok());
  EXPECT_EQ(saved.sequenceData.size(), 16u);
  std::unique_ptr<Instance> copy;
  EXPECT_TRUE(instance->duplicate(copy).ok());
  EXPECT_TRUE(copy->resetup().ok());
  EXPECT_TRUE(copy->render(input, output).ok());
  EXPECT_EQ(host.liveHandles(), 3u);  // global, two sequence blocks
  for (const CommandRecord& record : host.commandLog()) {
    EXPECT_TRUE(record.leaks.empty() && record.misuses.empty()) << commandName(record.cmd);
  }
  EXPECT_TRUE(host.unload().ok());
  EXPECT_EQ(host.liveHandles(), 0u);
}

// Bytes still allocated after `runs` more runs of `step` on `host`, once
// the first runs have set up what stays for good (thread-local state,
// tables); -1 when a step failed.
long long growthOver(Host& host, const fs::path& module, int runs,
                     const std::function<bool(Host&, Instance&)>& step) {
  std::unique_ptr<Instance> instance;
  if (!host.load(module).ok() || !host.createInstance(instance).ok()) return -1;
  bool ok = true;
  auto steps = [&](int n) {
    for (int i = 0; i < n; ++i) ok = step(host, *instance) && ok;
  };
  steps(10);
  const long long before = liveAllocatedBytes();
  steps(runs);
  const long long grown = liveAllocatedBytes() - before;
  return ok ? grown : -1;
}

bool renderSmallFrame(Host&, Instance& instance) {
  World input(4, 3, PixelDepth::kFloat32), output(4, 3, PixelDepth::kFloat32);
  return instance.render(input, output).ok();
}

// The product host keeps nothing of a command once its status is made, nor
// of an instance once it is gone, so a long run holds steady memory.
TEST_F(HostTest, ALongRunHoldsSteadyMemory) {
  const std::pair<const char*, std::function<bool(Host&, Instance&)>> kSteps[] = {
      {"frames", renderSmallFrame},
      {"instances made and closed",
       [](Host& host, Instance&) {
         std::unique_ptr<Instance> made;
         return host.createInstance(made).ok() && made->close().ok();
       }},
  };
  for (const auto& [name, step] : kSteps) {
    SCOPED_TRACE(name);
    Host host;
    EXPECT_EQ(growthOver(host, module_, 100, step), 0);
  }
  // The test host keeps a record of each command, which the count sees: two
  // a frame, each holding at least its PF_OutData.
  hooks::TestHost recording;
  EXPECT_GE(growthOver(recording, module_, 100, renderSmallFrame),
            200 * static_cast<long long>(sizeof(PF_OutData)));
}

}  // namespace
}  // namespace kestrow::host
