#include "MatteSet.h"

#include "Errors.h"

namespace kestrow::cli {
namespace {

// Letters, digits, '_' and '-' only: no spaces or quotes for shells and
// scripts, no ',' or '=' for the command line's own lists.
bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

}  // namespace

void checkLayerName(const std::string& name, const std::string& option) {
  // 200 leaves room for ".R" within OpenEXR's 255-character channel names.
  constexpr std::size_t kMaxLength = 200;
  if (name.empty()) usageError(option, "the layer name is empty");
  if (name.size() > kMaxLength)
    usageError(option,
               "the layer name is longer than " + std::to_string(kMaxLength) + " characters");
  bool partStart = true, valid = true;
  for (char c : name) {
    valid = valid && (c == '.' ? !partStart : isNameCharacter(c));
    partStart = c == '.';
  }
  if (!valid || partStart)
    usageError(option, "layer name \"" + name +
                           "\" may hold only letters, digits, '_', '-' and dots between parts");
}

MatteRequest parseMatteArgument(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos)
    usageError("--matte", "\"" + text + "\" is not NAME=PRESET.json");
  MatteRequest request{text.substr(0, equals), text.substr(equals + 1), "--matte"};
  checkLayerName(request.layer, "--matte");
  if (request.preset.empty())
    usageError("--matte", "layer \"" + request.layer + "\" names no preset file");
  return request;
}

std::vector<MatteRequest> matteRequests(const std::string& addLayer,
                                        const std::vector<std::string>& matteArguments) {
  std::vector<MatteRequest> requests;
  if (!addLayer.empty()) {
    checkLayerName(addLayer, "--add-layer");
    requests.push_back({addLayer, "", "--add-layer"});
  }
  for (const std::string& argument : matteArguments) {
    MatteRequest request = parseMatteArgument(argument);
    for (const MatteRequest& earlier : requests)
      if (earlier.layer == request.layer)
        usageError("--matte", "layer \"" + request.layer + "\" is named twice");
    requests.push_back(std::move(request));
  }
  return requests;
}

}  // namespace kestrow::cli
