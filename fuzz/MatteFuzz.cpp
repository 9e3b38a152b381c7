// Any settings record, picture and row: the row kernels of every
// instruction set this machine runs must agree with the reference bit for
// bit and stay inside the memory they are given.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "matte/Matte.h"
#include "matte/MatteReference.h"
#include "matte/PlannedRows.h"

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // Raw bit patterns, zero once the input runs out.
  template <class T>
  T take() {
    T value{};
    const std::size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
    std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }
  int small(int range) { return static_cast<int>(take<std::uint8_t>() % range); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

int gHostReference;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  MatteSettings s{};
  s.mode = in.small(12) - 1;
  s.rotateOrder = in.small(8) - 1;
  s.axis = in.small(5);
  s.tile = in.take<std::uint8_t>() & 1;
  s.invert = in.take<std::uint8_t>() & 1;
  s.alphaMatte = in.take<std::uint8_t>() & 1;
  for (double* field :
       {&s.offsetU, &s.offsetV, &s.position.x, &s.position.y, &s.position.z, &s.angleX, &s.angleY,
        &s.angleZ, &s.radius, &s.sizeX, &s.sizeY, &s.sizeZ, &s.scaleX, &s.scaleY, &s.scaleZ,
        &s.frequency, &s.offset, &s.feather, &s.thickness}) {
    *field = in.take<double>();
  }

  // A small picture; its declared layout may claim more than it holds.
  const A_long width = 1 + in.small(8);
  const A_long height = 1 + in.small(8);
  const A_long stride = width + in.small(3);
  std::vector<PF_PixelFloat> picture(static_cast<std::size_t>(stride) * height);
  for (PF_PixelFloat& px : picture) px = in.take<PF_PixelFloat>();
  const int layout = in.small(4);
  s.layer.reserved0 = layout == 0 ? nullptr : &gHostReference;
  s.layer.data = reinterpret_cast<PF_PixelPtr>(picture.data());
  s.layer.width = width + (layout == 3 ? in.small(4) : 0);
  s.layer.height = height;
  s.layer.rowbytes = stride * 16 - (layout == 2 ? in.small(32) : 0);

  PF_InData inData{};
  inData.downsample_x.den = in.small(5);
  inData.downsample_y.den = in.small(5);
  const A_long count = 1 + in.small(40);
  std::vector<PF_PixelFloat> row(count);
  for (PF_PixelFloat& px : row) px = in.take<PF_PixelFloat>();
  const A_long x = in.take<A_long>();

  PF_LayerDef output{};
  output.width = count;
  MatteRowContext context{&s, &inData, &output};
  std::vector<PF_PixelFloat> plain(count);
  kestrow::matte::InvertPixelFloatReference(&context, 0, 0, row.data(), plain.data());
  for (kestrow::matte::SimdPath path : kestrow::matte::kSimdPaths) {
    if (!kestrow::matte::simdPathAvailable(path)) continue;
    kestrow::matte::PlannedRows rows = kestrow::matte::planRows(s, inData, count, path);
    std::vector<PF_PixelFloat> fast(count);
    InvertPixelFloat(&rows, x, 0, row.data(), fast.data());
    if (std::memcmp(fast.data(), plain.data(), fast.size() * sizeof(PF_PixelFloat)) != 0) {
      std::fprintf(stderr, "%s row kernels and reference differ (mode %d)\n",
                   kestrow::matte::simdPathName(path), s.mode);
      std::abort();
    }
  }
  return 0;
}
