#include "CameraSpace.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "Errors.h"
#include "ImageIO.h"
#include "Numbers.h"

namespace kestrow::cli {

std::optional<Matrix44> worldToCameraOf(const OIIO::ImageSpec& spec) {
  // The library keeps the attribute under its own spelling; the search
  // ignores case.
  const OIIO::ParamValue* found = spec.find_attribute("worldToCamera");
  if (found == nullptr || found->nvalues() != 1) return std::nullopt;
  const OIIO::TypeDesc type = found->type();
  if (type.aggregate != OIIO::TypeDesc::MATRIX44 || type.arraylen != 0) return std::nullopt;
  Matrix44 m{};
  if (type.basetype == OIIO::TypeDesc::FLOAT) {
    const auto* values = static_cast<const float*>(found->data());
    for (std::size_t i = 0; i < 16; ++i) m[i] = values[i];
  } else if (type.basetype == OIIO::TypeDesc::DOUBLE) {
    const auto* values = static_cast<const double*>(found->data());
    for (std::size_t i = 0; i < 16; ++i) m[i] = values[i];
  } else {
    return std::nullopt;
  }
  return m;
}

std::optional<Matrix44> worldToCameraOf(const std::vector<OIIO::ImageSpec>& parts, int part) {
  for (int at : {part, 0}) {
    if (at >= 0 && std::size_t(at) < parts.size())
      if (std::optional<Matrix44> found = worldToCameraOf(parts[std::size_t(at)])) return found;
  }
  return std::nullopt;
}

std::optional<Matrix44> worldToCameraInFile(const std::string& path,
                                            const ChannelSelection& selection) {
  auto in = OIIO::ImageInput::open(path);
  if (!in) failure(path, "cannot be read" + inParentheses(OIIO::geterror()));
  std::vector<OIIO::ImageSpec> parts;
  for (int subimage = 0; in->seek_subimage(subimage, 0); ++subimage) parts.push_back(in->spec());
  return worldToCameraOf(parts, choosePositionChannels(parts, selection, path, true).part);
}

Matrix44 parseMatrix(const std::string& text, const std::string& option) {
  Matrix44 m{};
  std::size_t count = 0, at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find_first_of(", \t", at);
    const std::string part = text.substr(at, end == std::string::npos ? end : end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (trimmed(part).empty()) continue;
    const RealNumber number = readReal(part);
    if (number.status != NumberStatus::Ok)
      usageError(option, "takes 16 numbers, row by row: " + numberProblem(part, number.status));
    if (!std::isfinite(number.value))
      usageError(option, "takes 16 finite numbers, row by row: \"" + part + "\" is not finite");
    if (count == 16) usageError(option, "takes 16 numbers, row by row, not more");
    m[count++] = number.value;
  }
  if (count != 16)
    usageError(option, "takes 16 numbers, row by row (the matrix as OpenEXR stores it)");
  return m;
}

std::optional<Matrix44> inverted(const Matrix44& m) {
  // Gauss-Jordan elimination with partial pivoting, in double.
  double a[4][8];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      a[r][c] = m[std::size_t(r * 4 + c)];
      a[r][c + 4] = r == c ? 1.0 : 0.0;
    }
  }
  for (int c = 0; c < 4; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (!(std::fabs(a[pivot][c]) > 1e-300)) return std::nullopt;
    std::swap(a[c], a[pivot]);
    const double scale = a[c][c];
    for (double& v : a[c]) v /= scale;
    for (int r = 0; r < 4; ++r) {
      if (r == c) continue;
      const double f = a[r][c];
      for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
    }
  }
  Matrix44 inverse{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) inverse[std::size_t(r * 4 + c)] = a[r][c + 4];
  for (double v : inverse)
    if (!std::isfinite(v)) return std::nullopt;
  return inverse;
}

void transformPositions(host::World& pass, const Matrix44& m) {
  const bool affine = m[3] == 0.0 && m[7] == 0.0 && m[11] == 0.0 && m[15] == 1.0;
  for (int y = 0; y < pass.height(); ++y) {
    auto* px = static_cast<PF_PixelFloat*>(pass.row(y));
    for (int x = 0; x < pass.width(); ++x, ++px) {
      const double p[3] = {px->red, px->green, px->blue};
      double out[4];
      for (int c = 0; c < 4; ++c)
        out[c] = p[0] * m[std::size_t(c)] + p[1] * m[std::size_t(4 + c)] +
                 p[2] * m[std::size_t(8 + c)] + m[std::size_t(12 + c)];
      const double w = affine ? 1.0 : out[3];
      px->red = static_cast<float>(out[0] / w);
      px->green = static_cast<float>(out[1] / w);
      px->blue = static_cast<float>(out[2] / w);
    }
  }
}

}  // namespace kestrow::cli
