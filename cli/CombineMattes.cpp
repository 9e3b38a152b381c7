#include "CombineMattes.h"

#include <cmath>

#include "Errors.h"
#include "MatteSet.h"

namespace kestrow::cli {

namespace {

constexpr CombineOp kOps[] = {CombineOp::Max, CombineOp::Min, CombineOp::Subtract,
                              CombineOp::Multiply, CombineOp::Difference};

float matteValue(const PF_PixelFloat& px, bool inAlpha) { return inAlpha ? px.alpha : px.red; }

}  // namespace

std::string_view combineOpName(CombineOp op) {
  switch (op) {
    case CombineOp::Min:
      return "min";
    case CombineOp::Subtract:
      return "subtract";
    case CombineOp::Multiply:
      return "multiply";
    case CombineOp::Difference:
      return "difference";
    case CombineOp::Max:
      break;
  }
  return "max";
}

std::string combineOpNames() {
  std::string names;
  for (CombineOp op : kOps) names += (names.empty() ? "" : ", ") + std::string(combineOpName(op));
  return names;
}

CombineRequest parseCombineArgument(const std::string& text) {
  const std::size_t equals = text.find('=');
  const std::size_t colon = equals == std::string::npos ? equals : text.find(':', equals);
  if (colon == std::string::npos)
    usageError("--combine", "takes NAME=OP:A,B[,...] (OP one of " + combineOpNames() + "), not \"" +
                                text + "\"");
  CombineRequest request;
  request.layer = text.substr(0, equals);
  checkLayerName(request.layer, "--combine");
  const std::string op = text.substr(equals + 1, colon - equals - 1);
  bool known = false;
  for (CombineOp candidate : kOps) {
    if (op == combineOpName(candidate)) request.op = candidate, known = true;
  }
  if (!known)
    usageError("--combine", "unknown operation \"" + op + "\" (one of " + combineOpNames() + ")");
  std::size_t at = colon + 1;
  while (at <= text.size()) {
    const std::size_t comma = text.find(',', at);
    const std::string part = text.substr(at, comma == std::string::npos ? comma : comma - at);
    if (part.empty()) usageError("--combine", request.layer + ": an empty layer name in the parts");
    request.parts.push_back(part);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (request.parts.size() < 2)
    usageError("--combine", request.layer + ": combines at least two layers");
  return request;
}

float combineStep(CombineOp op, float a, float b) {
  switch (op) {
    case CombineOp::Min:
      return std::fmin(a, b);
    case CombineOp::Subtract:
      return a * (1.0f - b);
    case CombineOp::Multiply:
      return a * b;
    case CombineOp::Difference:
      return std::fabs(a - b);
    case CombineOp::Max:
      break;
  }
  return std::fmax(a, b);
}

host::World combineMattes(CombineOp op, const std::vector<CombinePart>& parts) {
  const host::World& first = *parts.front().render;
  host::World out(first.width(), first.height(), host::PixelDepth::kFloat32);
  for (int y = 0; y < first.height(); ++y) {
    auto* target = static_cast<PF_PixelFloat*>(out.row(y));
    for (int x = 0; x < first.width(); ++x) {
      float value = 0.0f;
      for (std::size_t p = 0; p < parts.size(); ++p) {
        const auto* row = static_cast<const PF_PixelFloat*>(parts[p].render->row(y));
        const float v = matteValue(row[x], parts[p].inAlpha);
        value = p == 0 ? v : combineStep(op, value, v);
      }
      target[x] = {value, value, value, value};
    }
  }
  return out;
}

}  // namespace kestrow::cli
