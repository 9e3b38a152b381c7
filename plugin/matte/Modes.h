// The "Mode" popup, one row per item: what each mode shows, how "Multiply
// Values" reaches it and whether it gives a matte or a colour. The
// parameters, the visibility update and the settings all read this table;
// each mode's formulas live in a file of their own under matte/modes/, and
// the list in matte/ModeKernels.h ties the two together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrow::matte {

// "Mode" popup values: an item's 1-based position in the list, separators
// included. Any value not named here copies the input.
enum class Mode : int32_t {
  Circle = 1,
  Ring = 2,
  Square = 3,
  Box = 4,
  Grid = 6,
  Radial = 7,
  Rays = 8,
  Layer = 10,
};

// Controls that "Mode" shows and hides together.
enum ControlGroup : unsigned {
  kRadiusControl = 1u << 0,      // "Radius"
  kThicknessControl = 1u << 1,   // "Thickness"
  kSizeControls = 1u << 2,       // "SizeX", "SizeY", "SizeZ"
  kAxisControl = 1u << 3,        // "Axis"
  kWaveControls = 1u << 4,       // "Frequency", "Offset"
  kLayerControls = 1u << 5,      // "Layer", "Tile", "OffsetU", "OffsetV"
  kScaleControls = 1u << 6,      // "ScaleX", "ScaleY", "ScaleZ"
  kAlphaMatteControl = 1u << 7,  // "Alpha Matte"
};

// How "Multiply Values" is folded into the settings. The radius always
// takes the factor.
enum class Multiply {
  Lengths,         // feather and thickness are lengths too: multiplied
  WaveSpacing,     // rings spaced in world units: the frequency is divided
  AngularSpacing,  // sectors are angular: feather, thickness and frequency as set
};

enum class ModeKind {
  Separator,  // a line in the popup; copies the input
  Matte,      // one value per pixel, then the shared output steps
  Colour,     // a whole colour per pixel
};

struct ModeInfo {
  std::string_view item;  // the popup's text
  ModeKind kind;
  unsigned shown;  // ControlGroup bits
  Multiply multiply;
};

namespace modes {
constexpr unsigned R = kRadiusControl, T = kThicknessControl, S = kSizeControls, A = kAxisControl,
                   F = kWaveControls, L = kLayerControls, W = kScaleControls,
                   M = kAlphaMatteControl;
constexpr unsigned kAllButWave = R | T | S | A | L | W | M;
}  // namespace modes

// In popup order: row k is value k + 1.
inline constexpr ModeInfo kModeTable[] = {
    {"Circle", ModeKind::Matte, modes::R | modes::W | modes::M, Multiply::Lengths},
    {"Ring", ModeKind::Matte, modes::R | modes::T | modes::W | modes::M, Multiply::Lengths},
    {"Square", ModeKind::Matte, modes::R | modes::S | modes::W | modes::M, Multiply::Lengths},
    {"Box", ModeKind::Matte, modes::R | modes::T | modes::S | modes::W | modes::M,
     Multiply::Lengths},
    {"(-", ModeKind::Separator, modes::kAllButWave, Multiply::Lengths},
    {"Grid", ModeKind::Matte, modes::R | modes::T | modes::S | modes::W | modes::M,
     Multiply::Lengths},
    {"Radial", ModeKind::Matte, modes::T | modes::F | modes::W | modes::M, Multiply::WaveSpacing},
    {"Rays", ModeKind::Matte, modes::T | modes::A | modes::F | modes::W | modes::M,
     Multiply::AngularSpacing},
    {"(-", ModeKind::Separator, modes::kAllButWave, Multiply::Lengths},
    {"Layer", ModeKind::Colour, modes::R | modes::S | modes::A | modes::L, Multiply::Lengths},
};

inline constexpr int32_t kModeValues = static_cast<int32_t>(std::size(kModeTable));

// A value outside the popup: copies the input, shows what a separator shows.
inline constexpr ModeInfo kOtherMode{"", ModeKind::Separator, modes::kAllButWave,
                                     Multiply::Lengths};

constexpr const ModeInfo& modeInfo(int32_t value) {
  return value >= 1 && value <= kModeValues ? kModeTable[value - 1] : kOtherMode;
}

constexpr const ModeInfo& modeInfo(Mode mode) { return modeInfo(static_cast<int32_t>(mode)); }

// Items a user can choose: the popup's num_choices.
constexpr short modeChoiceCount() {
  short count = 0;
  for (const ModeInfo& m : kModeTable) count += m.kind != ModeKind::Separator ? 1 : 0;
  return count;
}

// The popup's '|'-separated list.
inline constexpr auto kModeChoices = [] {
  constexpr std::size_t length = [] {
    std::size_t n = 0;
    for (const ModeInfo& m : kModeTable) n += m.item.size() + 1;
    return n;
  }();
  std::array<char, length> text{};  // the last '|' becomes the terminator
  std::size_t at = 0;
  for (const ModeInfo& m : kModeTable) {
    for (char ch : m.item) text[at++] = ch;
    text[at++] = '|';
  }
  text[length - 1] = '\0';
  return text;
}();

static_assert(modeInfo(Mode::Circle).item == "Circle" && modeInfo(Mode::Ring).item == "Ring" &&
                  modeInfo(Mode::Square).item == "Square" && modeInfo(Mode::Box).item == "Box" &&
                  modeInfo(Mode::Grid).item == "Grid" && modeInfo(Mode::Radial).item == "Radial" &&
                  modeInfo(Mode::Rays).item == "Rays" && modeInfo(Mode::Layer).item == "Layer",
              "each name sits at its popup value");

}  // namespace kestrow::matte
