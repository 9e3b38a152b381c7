// InvertPixelFloat throughput per mode over full-HD rows, called once per
// row as the host's iteration does; the plain reference evaluation and a
// plain row copy run alongside for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "AE_EffectSuites.h"
#include "PositionPass.h"
#include "matte/Matte.h"
#include "matte/MatteReference.h"

namespace kestrow::bench {
namespace {

constexpr A_long kWidth = 1920;
constexpr A_long kRows = 32;

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
  FloatImage input = makePositionPass(kWidth, kRows);
  FloatImage output = makePositionPass(kWidth, kRows);
  FloatImage picture = makePicture(1024, 512);
  PF_InData inData{};
  PF_LayerDef outputWorld = output.world();

  Frame() {
    inData.downsample_x = {1, 1};
    inData.downsample_y = {1, 1};
  }
};

Frame& frame() {
  static Frame f;
  return f;
}

void countPixels(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kWidth * kRows);
  state.SetBytesProcessed(state.iterations() * kWidth * kRows * 2 *
                          static_cast<int64_t>(sizeof(PF_PixelFloat)));
}

void copyRows(benchmark::State& state) {
  Frame& f = frame();
  for (auto _ : state) {
    for (A_long r = 0; r < kRows; ++r) {
      std::memcpy(f.output.row(r), f.input.row(r), kWidth * sizeof(PF_PixelFloat));
    }
    benchmark::ClobberMemory();
  }
  countPixels(state);
}

template <PF_IteratePixelFloatFunc RowFunction>
void matteRows(benchmark::State& state, ModeSetup mode) {
  Frame& f = frame();
  const MatteSettings settings = settingsFor(mode, f.picture);
  MatteRowContext context{&settings, &f.inData, &f.outputWorld};
  for (auto _ : state) {
    for (A_long r = 0; r < kRows; ++r) {
      RowFunction(&context, 0, r, f.input.row(r), f.output.row(r));
    }
    benchmark::ClobberMemory();
  }
  countPixels(state);
}

const bool kRegistered = [] {
  benchmark::RegisterBenchmark("baseline/copy_rows", copyRows);
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("matte/") + m.name).c_str(),
                                 matteRows<InvertPixelFloat>, m);
  }
  for (const ModeSetup& m : kModes) {
    benchmark::RegisterBenchmark((std::string("reference/") + m.name).c_str(),
                                 matteRows<kestrow::matte::InvertPixelFloatReference>, m);
  }
  return true;
}();

}  // namespace
}  // namespace kestrow::bench
