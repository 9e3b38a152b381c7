#include "resources/Kestrow_Strings.h"

#include <cstddef>
#include <string_view>

#include "matte/Modes.h"

namespace {

struct StringTableRow {
  uint32_t id;
  char text[256];
};

constexpr StringTableRow row(uint32_t id, std::string_view text) {
  StringTableRow r{id, {}};
  for (std::size_t i = 0; i < text.size() && i + 1 < sizeof r.text; ++i) r.text[i] = text[i];
  return r;
}

// The About box shows "<name>, v<major>.<minor>\r" followed by this text in
// the host's 256-byte message field.
#define KESTROW_DESCRIPTION                                                          \
  "Create mattes based on world position data.\n\n32bpc only.\nEither use a linear " \
  "workspace,\nor apply 'Color Profile Converter' before this effect with the "      \
  "output set to linear.\n\nWritten by the Kestrow team."

static_assert(sizeof("Kestrow, v2.3\r") - 1 + sizeof(KESTROW_DESCRIPTION) <= 256,
              "the About text must fit the host's message field");

const StringTableRow g_strs[] = {
    {StrID_NONE, ""},
    {StrID_Name, "Kestrow"},
    {StrID_Description, KESTROW_DESCRIPTION},
    {StrID_Layer_Param_Name, "Layer"},
    {StrID_Tile_Param_Name, "Tile"},
    {StrID_OffsetU_Param_Name, "OffsetU"},
    {StrID_OffsetV_Param_Name, "OffsetV"},
    {StrID_Mode_Param_Name, "Mode"},
    // The "Mode" items, from the table of modes.
    row(StrID_Mode_Param_Choices, kestrow::matte::kModeChoices.data()),
    {StrID_Layer_Controls, "Layer Controls"},
    {StrID_PickPoint_Param_Name, "Pick Point"},
    {StrID_Position_Param_Name, "Position"},
    {StrID_RotateOrder_Param_Name, "RotateOrder"},
    {StrID_RotateX_Param_Name, "RotateX"},
    {StrID_RotateY_Param_Name, "RotateY"},
    {StrID_RotateZ_Param_Name, "RotateZ"},
    {StrID_Axis_Param_Name, "Axis"},
    {StrID_Radius_Param_Name, "Radius"},
    {StrID_SizeX_Param_Name, "SizeX"},
    {StrID_SizeY_Param_Name, "SizeY"},
    {StrID_SizeZ_Param_Name, "SizeZ"},
    {StrID_Frequency_Param_Name, "Frequency"},
    {StrID_Offset_Param_Name, "Offset"},
    {StrID_Feather_Param_Name, "Feather"},
    {StrID_Thickness_Param_Name, "Thickness"},
    {StrID_ScaleX_Param_Name, "ScaleX"},
    {StrID_ScaleY_Param_Name, "ScaleY"},
    {StrID_ScaleZ_Param_Name, "ScaleZ"},
    {StrID_MultiplyValues_Param_Name, "Multiply Values"},
    {StrID_Invert_Param_Name, "Invert"},
    {StrID_AlphaMatte_Param_Name, "Alpha Matte"},
    {StrID_Err_LoadSuite, "Error loading suite."},
    {StrID_Err_FreeSuite, "Error releasing suite."},
};

}  // namespace

const char* GetStringPtr(uint32_t strNum) {
  for (const StringTableRow& row : g_strs) {
    if (row.id == strNum) {
      return row.text;
    }
  }
  // Every caller asks for an id of the table; an unknown one still gets a
  // valid text rather than a null pointer.
  return g_strs[0].text;
}
