// InvertPixelFloat throughput per mode, called once per row as the host's
// iteration does. Two groups, each with its own copy baseline: "rows" (32
// full-HD rows that stay in cache, the widest chosen instruction set with
// the plain reference evaluation beside it) and "frame" (a whole 4K frame,
// one thread, per chosen instruction set, against a memcpy of the frame:
// the memory limit).
#include <benchmark/benchmark.h>

#include <cstring>
#include <thread>
#include <vector>

#include "AE_EffectSuites.h"
#include "PositionPass.h"
#include "matte/Matte.h"
#include "matte/MatteReference.h"
#include "matte/PlannedRows.h"
#include "matte/SimdPath.h"

namespace kestrow::bench {
namespace {

using matte::Mode;
using matte::Plane;
using matte::popupValue;
using matte::RotateOrder;

struct Size {
  A_long width;
  A_long height;
};
constexpr Size kRowSet{1920, 32};
constexpr Size kFrame{3840, 2160};

struct ModeSetup {
  const char* name;
  matte::Mode mode;
  bool picture;
};

constexpr ModeSetup kModes[] = {
    {"Circle", Mode::Circle, false},
    {"Ring", Mode::Ring, false},
    {"Square", Mode::Square, false},
    {"Box", Mode::Box, false},
    {"Grid", Mode::Grid, false},
    {"Radial", Mode::Radial, false},
    {"Rays", Mode::Rays, false},
    {"Layer", Mode::Layer, true},
    {"LayerNoPicture", Mode::Layer, false},
};

// A frame's controls near their defaults, turned a little on every axis.
MatteSettings settingsFor(const ModeSetup& m, FloatImage& picture) {
  MatteSettings s{};
  s.mode = popupValue(m.mode);
  s.rotateOrder = popupValue(RotateOrder::XYZ);
  s.angleX = 30.0 * 65536;
  s.angleY = 15.0 * 65536;
  s.angleZ = 10.0 * 65536;
  s.axis = popupValue(Plane::XY);
  s.radius = 2.5;
  s.sizeX = s.sizeY = s.sizeZ = 1.0;
  s.scaleX = s.scaleY = s.scaleZ = 1.0;
  s.frequency = 3.0;
  s.feather = 0.5;
  s.thickness = m.mode == Mode::Radial || m.mode == Mode::Rays ? 1.0 : 0.4;
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

// The same copy split between two threads: where it takes as long as on
// one, the memory, not the thread, bounds the frame.
void copyPixelsTwoThreads(benchmark::State& state) {
  Frame& f = frame(kFrame);
  const std::size_t bytes = f.input.pixels.size() * sizeof(PF_PixelFloat), half = bytes / 2;
  char* const to = reinterpret_cast<char*>(f.output.pixels.data());
  const char* const from = reinterpret_cast<const char*>(f.input.pixels.data());
  for (auto _ : state) {
    std::thread second([&] { std::memcpy(to + half, from + half, bytes - half); });
    std::memcpy(to, from, half);
    second.join();
    benchmark::ClobberMemory();
  }
  countPixels(state, f);
}

// Every row of the frame through `rowFunction` with the reference value
// `prepare` makes, once per pass as a render does.
template <class Prepare>
void eachRow(benchmark::State& state, Frame& f, PF_IteratePixelFloatFunc rowFunction,
             Prepare prepare) {
  for (auto _ : state) {
    auto refcon = prepare();
    for (A_long r = 0; r < f.input.height; ++r) {
      rowFunction(&refcon, 0, r, f.input.row(r), f.output.row(r));
    }
    benchmark::ClobberMemory();
  }
  countPixels(state, f);
}

void matteRows(benchmark::State& state, Size size, ModeSetup mode, matte::SimdPath path) {
  Frame& f = frame(size);
  const MatteSettings settings = settingsFor(mode, f.picture);
  eachRow(state, f, InvertPixelFloat,
          [&] { return matte::planRows(settings, f.inData, f.outputWorld.width, path); });
}

void referenceRows(benchmark::State& state, Size size, ModeSetup mode) {
  Frame& f = frame(size);
  const MatteSettings settings = settingsFor(mode, f.picture);
  eachRow(state, f, matte::InvertPixelFloatReference, [&] {
    return MatteRowContext{&settings, &f.inData, &f.outputWorld};
  });
}

}  // namespace

void registerMatteBenchmarks(const std::vector<matte::SimdPath>& paths) {
  const matte::SimdPath active = paths.back();
  benchmark::RegisterBenchmark("rows/copy", copyPixels, kRowSet);
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("rows/matte/") + m.name).c_str(), matteRows, kRowSet,
                                 m, active);
  }
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("rows/reference/") + m.name).c_str(), referenceRows,
                                 kRowSet, m);
  }
  benchmark::RegisterBenchmark("frame/copy", copyPixels, kFrame)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("frame/copy_2_threads", copyPixelsTwoThreads)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  for (matte::SimdPath path : paths) {
    for (const ModeSetup& m : kModes) {
      const std::string name = std::string("frame/") + matte::simdPathName(path) + "/" + m.name;
      benchmark::RegisterBenchmark(name.c_str(), matteRows, kFrame, m, path)
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace kestrow::bench
