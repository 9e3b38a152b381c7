// A whole smart render of a 4K frame through our host and the built
// plug-in, on one and on two iteration threads, in the "frame" group (so
// against the same memcpy of the frame): Ring, whose rows are about as
// fast as the memory, and Rays, whose rows are bound by their library
// calls, so that the threads' share of the work shows apart from the
// memory's.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>

#include "PositionPass.h"
#include "kestrow/host/Host.h"
#include "kestrow/host/Instance.h"
#include "kestrow/host/World.h"
#include "matte/MatteTypes.h"
#include "params/Params.h"

namespace kestrow::bench {
namespace {

host::World inputFrame() {
  FloatImage pass = makePositionPass(3840, 2160);
  host::World world(pass.width, pass.height, host::PixelDepth::kFloat32);
  for (A_long y = 0; y < pass.height; ++y) {
    for (A_long x = 0; x < pass.width; ++x) {
      *world.pixelFloat(x, y) = pass.row(y)[x];
    }
  }
  return world;
}

void renderFrame(benchmark::State& state, matte::Mode mode, unsigned threads) {
  static host::World input = inputFrame();
  host::World output(input.width(), input.height(), host::PixelDepth::kFloat32);
  host::Host host(host::HostOptions{.iterateThreads = threads});
  std::unique_ptr<host::Instance> instance;
  if (!host.load(KESTROW_PLUGIN_FILE).ok() || !host.createInstance(instance).ok() ||
      !instance->setPopup(MATTE_MODE, matte::popupValue(mode)).ok() ||
      !instance->setFloat(MATTE_RADIUS, 2.5).ok() || !instance->setFloat(MATTE_FEATHER, 0.5).ok()) {
    state.SkipWithError("the plug-in could not be loaded and set up");
    return;
  }
  for (auto _ : state) {
    if (!instance->render(input, output).ok()) {
      state.SkipWithError("render failed");
      break;
    }
  }
}

const bool kRegistered = [] {
  const std::pair<const char*, matte::Mode> modes[] = {{"Ring", matte::Mode::Ring},
                                                       {"Rays", matte::Mode::Rays}};
  for (const auto& [label, mode] : modes) {
    for (unsigned threads : {1u, 2u}) {
      const std::string name =
          "frame/render_" + std::string(label) + "_" + std::to_string(threads) + "_threads";
      benchmark::RegisterBenchmark(name.c_str(), renderFrame, mode, threads)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  return true;
}();

}  // namespace
}  // namespace kestrow::bench
