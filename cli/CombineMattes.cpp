#include "CombineMattes.h"

#include <cmath>
#include <utility>
#include <vector>

#include "Errors.h"
#include "MatteSet.h"

namespace kestrow::cli {

namespace {

constexpr std::pair<CombineOp, std::string_view> kOps[] = {{CombineOp::Max, "max"},
                                                           {CombineOp::Min, "min"},
                                                           {CombineOp::Subtract, "subtract"},
                                                           {CombineOp::Multiply, "multiply"},
                                                           {CombineOp::Difference, "difference"}};

}  // namespace

std::string_view combineOpName(CombineOp op) {
  for (const auto& [candidate, name] : kOps)
    if (candidate == op) return name;
  return {};
}

std::string combineOpNames() {
  std::string names;
  for (const auto& [op, name] : kOps) names += (names.empty() ? "" : ", ") + std::string(name);
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
  for (const auto& [candidate, name] : kOps) {
    if (op == name) request.op = candidate, known = true;
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
  std::vector<const PF_PixelFloat*> rows(parts.size());
  for (int y = 0; y < first.height(); ++y) {
    for (std::size_t p = 0; p < parts.size(); ++p)
      rows[p] = static_cast<const PF_PixelFloat*>(parts[p].render->row(y));
    auto* target = static_cast<PF_PixelFloat*>(out.row(y));
    for (int x = 0; x < first.width(); ++x) {
      float value = 0.0f;
      for (std::size_t p = 0; p < parts.size(); ++p) {
        const PF_PixelFloat& px = rows[p][x];
        const float v = parts[p].inAlpha ? px.alpha : px.red;
        value = p == 0 ? v : combineStep(op, value, v);
      }
      target[x] = {value, value, value, value};
    }
  }
  return out;
}

}  // namespace kestrow::cli
