// InvertPixelFloat throughput per mode, called once per row as the host's
// iteration does. Two groups, each with its own copy baseline: "rows" (32
// full-HD rows that stay in cache, with the plain reference evaluation
// beside the row loops) and "frame" (a whole 4K frame, one thread, against
// a memcpy of the frame: the memory limit).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "AE_EffectSuites.h"
#include "PositionPass.h"
#include "matte/Matte.h"
#include "matte/MatteReference.h"

namespace kestrow::bench {
namespace {

struct Size {
  A_long width;
  A_long height;
};
constexpr Size kRowSet{1920, 32};
constexpr Size kFrame{3840, 2160};

struct ModeSetup {
  const char* name;
  int32_t mode;
  bool picture;
};

constexpr ModeSetup kModes[] = {
    {"Circle", 1, false}, {"Ring", 2, false},  {"Square", 3, false},
    {"Box", 4, false},    {"Grid", 6, false},  {"Radial", 7, false},
    {"Rays", 8, false},   {"Layer", 10, true}, {"LayerNoPicture", 10, false},
};

// A frame's controls near their defaults, turned a little on every axis.
MatteSettings settingsFor(const ModeSetup& m, FloatImage& picture) {
  MatteSettings s{};
  s.mode = m.mode;
  s.rotateOrder = 1;
  s.angleX = 30.0 * 65536;
  s.angleY = 15.0 * 65536;
  s.angleZ = 10.0 * 65536;
  s.axis = 2;
  s.radius = 2.5;
  s.sizeX = s.sizeY = s.sizeZ = 1.0;
  s.scaleX = s.scaleY = s.scaleZ = 1.0;
  s.frequency = 3.0;
  s.feather = 0.5;
  s.thickness = m.mode == 7 || m.mode == 8 ? 1.0 : 0.4;
  s.alphaMatte = 1;
  s.tile = 1;
  if (m.picture) {
    s.layer = picture.world();
  }
  return s;
}

struct Frame {
  FloatImage input;
  FloatImage output;
  FloatImage picture = makePicture(1024, 512);
  PF_InData inData{};
  PF_LayerDef outputWorld;

  explicit Frame(Size size)
      : input(makePositionPass(size.width, size.height)),
        output(makePositionPass(size.width, size.height)),
        outputWorld(output.world()) {
    inData.downsample_x = {1, 1};
    inData.downsample_y = {1, 1};
  }
};

// Made on first use, so that running one group does not build the other.
Frame& frame(Size size) {
  if (size.height == kFrame.height) {
    static Frame f(kFrame);
    return f;
  }
  static Frame f(kRowSet);
  return f;
}

void countPixels(benchmark::State& state, const Frame& f) {
  const int64_t pixels = int64_t{f.input.width} * f.input.height;
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetBytesProcessed(state.iterations() * pixels * 2 *
                          static_cast<int64_t>(sizeof(PF_PixelFloat)));
}

void copyPixels(benchmark::State& state, Size size) {
  Frame& f = frame(size);
  for (auto _ : state) {
    std::memcpy(f.output.pixels.data(), f.input.pixels.data(),
                f.input.pixels.size() * sizeof(PF_PixelFloat));
    benchmark::ClobberMemory();
  }
  countPixels(state, f);
}

template <PF_IteratePixelFloatFunc RowFunction>
void matteRows(benchmark::State& state, Size size, ModeSetup mode) {
  Frame& f = frame(size);
  const MatteSettings settings = settingsFor(mode, f.picture);
  MatteRowContext context{&settings, &f.inData, &f.outputWorld};
  for (auto _ : state) {
    for (A_long r = 0; r < f.input.height; ++r) {
      RowFunction(&context, 0, r, f.input.row(r), f.output.row(r));
    }
    benchmark::ClobberMemory();
  }
  countPixels(state, f);
}

const bool kRegistered = [] {
  benchmark::RegisterBenchmark("rows/copy", copyPixels, kRowSet);
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("rows/matte/") + m.name).c_str(),
                                 matteRows<InvertPixelFloat>, kRowSet, m);
  }
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("rows/reference/") + m.name).c_str(),
                                 matteRows<kestrow::matte::InvertPixelFloatReference>, kRowSet, m);
  }
  benchmark::RegisterBenchmark("frame/copy", copyPixels, kFrame)->Unit(benchmark::kMillisecond);
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("frame/") + m.name).c_str(),
                                 matteRows<InvertPixelFloat>, kFrame, m)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace kestrow::bench
