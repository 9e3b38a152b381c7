#include "PositionChannels.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "Errors.h"

namespace kestrow::cli {
namespace {

using OIIO::ImageSpec;

// The names a layer's three position components go by: OpenEXR's
// conventions, and Nuke's channel names.
constexpr const char* kComponents[][3] = {
    {"X", "Y", "Z"}, {"x", "y", "z"}, {"R", "G", "B"}, {"r", "g", "b"}, {"red", "green", "blue"}};

std::vector<std::string> allChannelNames(const std::vector<ImageSpec>& specs) {
  std::vector<std::string> names;
  for (const ImageSpec& spec : specs)
    for (const std::string& name : spec.channelnames)
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  return names;
}

// A part by what users call it: its name, or else its number.
std::string partName(const std::vector<ImageSpec>& specs, int part) {
  const std::string name = specs[part].get_string_attribute("oiio:subimagename");
  return name.empty() ? std::to_string(part) : name;
}

// "PART:NAME" limits a name to the part PART (its name or number): the
// part and NAME; -1 and `text` itself when there is no such prefix.
std::pair<int, std::string> splitPart(const std::vector<ImageSpec>& specs,
                                      const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return {-1, text};
  const std::string prefix = text.substr(0, colon);
  for (int s = 0; s < int(specs.size()); ++s)
    if (partName(specs, s) == prefix || std::to_string(s) == prefix)
      return {s, text.substr(colon + 1)};
  return {-1, text};
}

// Channels by explicit name, each optionally "PART:NAME": the one part
// holding all three. Two parts that both do are refused as ambiguous.
PositionChannels byNames(const std::vector<ImageSpec>& specs, const std::vector<std::string>& given,
                         const std::string& path) {
  int only = -1;
  std::vector<std::string> names;
  for (const std::string& text : given) {
    const auto [part, name] = splitPart(specs, text);
    if (part >= 0 && only >= 0 && part != only)
      usageError("--position-channels",
                 "names two parts (" + partName(specs, only) + ", " + partName(specs, part) + ")");
    if (part >= 0) only = part;
    names.push_back(name);
  }
  std::vector<PositionChannels> found;
  for (int s = 0; s < int(specs.size()); ++s) {
    PositionChannels chosen{s, {-1, -1, -1, -1}};
    bool all = only < 0 || s == only;
    for (int i = 0; i < 3; ++i)
      all = all && (chosen.index[i] = specs[s].channelindex(names[i])) >= 0;
    if (all) found.push_back(chosen);
  }
  if (found.size() > 1) {
    std::vector<std::string> parts;
    for (const PositionChannels& f : found) parts.push_back(partName(specs, f.part));
    failure(path, "channels " + names[0] + ", " + names[1] + ", " + names[2] +
                      " are in more than one part (" + listNames(parts) +
                      "); name one as PART:CHANNEL");
  }
  if (!found.empty()) return found[0];
  for (const std::string& name : names)
    if (std::none_of(specs.begin(), specs.end(),
                     [&](const ImageSpec& spec) { return spec.channelindex(name) >= 0; }))
      failure(path,
              "no channel \"" + name + "\" (channels: " + listNames(allChannelNames(specs)) + ")");
  failure(path, "channels " + names[0] + ", " + names[1] + ", " + names[2] +
                    " are not in one part of the file");
}

std::string layerOf(const std::string& channel) {
  const auto dot = channel.rfind('.');
  return dot == std::string::npos ? std::string() : channel.substr(0, dot);
}

bool layerMatches(const std::string& layer, const std::string& wanted) {
  return layer == wanted || (layer.size() > wanted.size() && layer.ends_with(wanted) &&
                             layer[layer.size() - wanted.size() - 1] == '.');
}

// The sets of position channels `prefix` + components that `spec` holds,
// in the order of kComponents; `names` gets them as "P.X/Y/Z".
std::vector<std::array<int, 3>> positionSets(const ImageSpec& spec, const std::string& prefix,
                                             std::vector<std::string>* names = nullptr) {
  std::vector<std::array<int, 3>> sets;
  for (const auto& components : kComponents) {
    std::array<int, 3> index{};
    bool all = true;
    for (int i = 0; i < 3; ++i)
      all = all && (index[i] = spec.channelindex(prefix + components[i])) >= 0;
    if (!all) continue;
    sets.push_back(index);
    if (names) names->push_back(prefix + components[0] + "/" + components[1] + "/" + components[2]);
  }
  return sets;
}

// Channels by layer name, optionally "PART:LAYER": <layer>.X/Y/Z (or any
// set of kComponents). A name that matches layers in two parts, two
// different layers, or a layer with two sets is refused as ambiguous.
PositionChannels byLayer(const std::vector<ImageSpec>& specs, const std::string& given,
                         const std::string& path, std::string& foundLayer) {
  const auto [only, wanted] = splitPart(specs, given);
  struct Found {
    std::string layer;
    PositionChannels channels;
  };
  std::vector<Found> found;
  std::vector<std::string> layers;
  for (int s = 0; s < int(specs.size()); ++s) {
    if (only >= 0 && s != only) continue;
    for (const std::string& channel : specs[s].channelnames) {
      const std::string layer = layerOf(channel);
      if (layer.empty()) continue;
      if (std::find(layers.begin(), layers.end(), layer) == layers.end()) layers.push_back(layer);
      if (!layerMatches(layer, wanted)) continue;
      if (std::any_of(found.begin(), found.end(),
                      [&](const Found& f) { return f.layer == layer && f.channels.part == s; }))
        continue;
      std::vector<std::string> names;
      const auto sets = positionSets(specs[s], layer + ".", &names);
      if (sets.empty()) continue;
      if (sets.size() > 1)
        failure(path, "layer \"" + layer + "\" holds more than one set of position channels (" +
                          listNames(names) + "); name them with --position-channels");
      found.push_back({layer, {s, {sets[0][0], sets[0][1], sets[0][2], -1}}});
    }
  }
  if (found.empty())
    failure(path, "no layer \"" + given + "\" with X, Y, Z channels (layers: " +
                      (layers.empty() ? std::string("none") : listNames(layers)) + ")");
  if (found.size() > 1) {
    const bool oneFound = std::all_of(found.begin(), found.end(),
                                      [&](const Found& f) { return f.layer == found[0].layer; });
    std::vector<std::string> names;
    for (const Found& f : found)
      names.push_back(oneFound ? partName(specs, f.channels.part) + ":" + f.layer : f.layer);
    failure(path, "layer \"" + given + "\" is ambiguous (matches " + listNames(names) + ")" +
                      (oneFound ? "; name one as PART:LAYER" : ""));
  }
  foundLayer = found[0].layer;
  return found[0].channels;
}

// Default: R, G, B, else X, Y, Z, else the only three channels that are
// neither alpha nor depth, in the first part of the file. More than three
// such channels are refused: which of them hold the position is a guess.
// `colour` tells whether R, G, B were taken.
PositionChannels byDefault(const ImageSpec& spec, const std::string& path, bool& colour) {
  PositionChannels chosen;
  static const char* const kSets[][3] = {{"R", "G", "B"}, {"X", "Y", "Z"}};
  for (const auto& set : kSets) {
    bool all = true;
    for (int i = 0; i < 3; ++i) all = all && (chosen.index[i] = spec.channelindex(set[i])) >= 0;
    colour = &set == &kSets[0];
    if (all) return chosen;
  }
  colour = false;
  std::vector<std::string> others;
  for (int c = 0; c < spec.nchannels; ++c)
    if (c != spec.alpha_channel && c != spec.z_channel) {
      if (others.size() < 3) chosen.index[others.size()] = c;
      others.push_back(spec.channelnames[c]);
    }
  if (others.size() == 3) return chosen;
  if (others.size() < 3)
    failure(path, "has no R, G, B or X, Y, Z channels and " + std::to_string(others.size()) +
                      " other than alpha and depth (" +
                      (others.empty() ? std::string("none") : listNames(others)) +
                      "); a position pass needs three");
  failure(path, "has no R, G, B or X, Y, Z channels; which of " + listNames(others) +
                    " hold the position is ambiguous: name them with --position-layer or "
                    "--position-channels");
}

// Whether a layer or part is named as renderers name a world-position pass
// (the last component of the name, in any case).
bool namedAsPosition(const std::string& name) {
  std::string last = name.substr(name.rfind('.') + 1);
  for (char& c : last) c = char(std::tolower(static_cast<unsigned char>(c)));
  return last == "p" || last == "pworld" || last == "position" || last == "worldposition";
}

// The default took R, G, B of the first part. Renderers write their beauty
// there and the position beside it, so a position layer anywhere in the
// file (or a part named as one) means R, G, B are colour: refused, naming
// the flag that reads the position, rather than rendering colour as
// positions.
void refuseColourBesidePosition(const std::vector<ImageSpec>& specs, const std::string& path) {
  const std::string colour =
      specs.size() > 1 ? partName(specs, 0) + ":" : std::string();  // R, G, B may be in two parts
  const std::string keep =
      " (or --position-channels " + colour + "R," + colour + "G," + colour + "B to read R, G, B)";
  for (int s = 0; s < int(specs.size()); ++s) {
    for (const std::string& channel : specs[s].channelnames) {
      const std::string layer = layerOf(channel);
      if (layer.empty() || !namedAsPosition(layer) || positionSets(specs[s], layer + ".").empty())
        continue;
      failure(path, "has a position layer \"" + layer +
                        "\" beside R, G, B; name the position with --position-layer " + layer +
                        keep);
    }
    if (s == 0 || !namedAsPosition(partName(specs, s))) continue;
    const auto sets = positionSets(specs[s], "");
    if (sets.empty()) continue;
    const std::string part = partName(specs, s) + ":";
    const std::vector<std::string>& names = specs[s].channelnames;
    failure(path, "has a position part \"" + partName(specs, s) +
                      "\" beside R, G, B; name the position with --position-channels " + part +
                      names[sets[0][0]] + "," + part + names[sets[0][1]] + "," + part +
                      names[sets[0][2]] + keep);
  }
}

bool sameWindow(const ImageSpec& a, const ImageSpec& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::string windowText(const ImageSpec& spec) {
  return std::to_string(spec.width) + " x " + std::to_string(spec.height) + " at " +
         std::to_string(spec.x) + "," + std::to_string(spec.y);
}

// The image's own alpha channel ("A" when the header marks none), -1 if none.
int imageAlpha(const ImageSpec& spec) {
  return spec.alpha_channel >= 0 ? spec.alpha_channel : spec.channelindex("A");
}

// The coverage: "none"; a channel by name (the position's part first, else
// the one other part that holds it, or "PART:NAME"); by default the layer's
// own alpha, else the position part's, else the first part's (the file's
// main image, where renderers keep the beauty) when the position is in
// another part of the same pixel window.
void chooseAlpha(const std::vector<ImageSpec>& specs, const std::string& wanted,
                 const std::string& layer, PositionChannels& chosen, const std::string& path) {
  if (wanted == "none") return;
  const ImageSpec& spec = specs[chosen.part];
  if (!wanted.empty()) {
    const auto [only, name] = splitPart(specs, wanted);
    std::vector<int> holders;
    for (int s = 0; s < int(specs.size()); ++s)
      if ((only < 0 || s == only) && specs[s].channelindex(name) >= 0) holders.push_back(s);
    if (only < 0 && spec.channelindex(name) >= 0) holders = {chosen.part};
    if (holders.empty())
      failure(path, "no channel \"" + wanted + "\" for the coverage (channels: " +
                        listNames(only >= 0 ? specs[only].channelnames : allChannelNames(specs)) +
                        ")");
    if (holders.size() > 1) {
      std::vector<std::string> parts;
      for (int s : holders) parts.push_back(partName(specs, s));
      failure(path, "alpha channel \"" + name + "\" is in more than one part (" + listNames(parts) +
                        "); name one as PART:" + name);
    }
    const int part = holders[0];
    if (!sameWindow(specs[part], spec))
      failure(path, "alpha channel \"" + wanted + "\" covers another pixel window (" +
                        windowText(specs[part]) + ") than the position (" + windowText(spec) + ")");
    chosen.index[3] = specs[part].channelindex(name);
    if (part != chosen.part) chosen.alphaPart = part;
    return;
  }
  if (!layer.empty())
    for (const char* suffix : {".A", ".a", ".alpha"})
      if ((chosen.index[3] = spec.channelindex(layer + suffix)) >= 0) return;
  int alpha = imageAlpha(spec);
  for (int i = 0; i < 3; ++i)
    if (alpha == chosen.index[i]) alpha = -1;
  chosen.index[3] = alpha;
  if (alpha >= 0 || chosen.part == 0 || !sameWindow(specs[0], spec)) return;
  if ((alpha = imageAlpha(specs[0])) >= 0) {
    chosen.index[3] = alpha;
    chosen.alphaPart = 0;
  }
}

}  // namespace

std::string listNames(const std::vector<std::string>& names) {
  std::string text;
  const std::size_t shown = std::min<std::size_t>(names.size(), 16);
  for (std::size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > shown) text += ", ... (" + std::to_string(names.size()) + " in all)";
  return text;
}

PositionChannels selectPositionChannels(const std::vector<ImageSpec>& specs,
                                        const ChannelSelection& selection,
                                        const std::string& path) {
  if (specs.empty()) failure(path, "holds no image");
  std::string layer;
  PositionChannels chosen;
  if (!selection.position.empty()) {
    if (selection.position.size() != 3)
      usageError("--position-channels", "takes three channel names (X, Y, Z), got " +
                                            std::to_string(selection.position.size()));
    chosen = byNames(specs, selection.position, path);
  } else if (!selection.layer.empty()) {
    chosen = byLayer(specs, selection.layer, path, layer);
  } else {
    bool colour = false;
    chosen = byDefault(specs[0], path, colour);
    if (colour) refuseColourBesidePosition(specs, path);
  }
  chooseAlpha(specs, selection.alpha, layer, chosen, path);
  return chosen;
}

}  // namespace kestrow::cli
