// The effect's string table: every control name and user message by id.
#pragma once

#include <cstdint>

enum {
  StrID_NONE = 0,
  StrID_Name = 1,
  StrID_Description = 2,
  StrID_Layer_Param_Name = 3,
  StrID_Tile_Param_Name = 4,
  StrID_OffsetU_Param_Name = 5,
  StrID_OffsetV_Param_Name = 6,
  StrID_Mode_Param_Name = 7,
  StrID_Mode_Param_Choices = 8,
  StrID_Layer_Controls = 9,
  StrID_PickPoint_Param_Name = 10,
  StrID_Position_Param_Name = 11,
  StrID_RotateOrder_Param_Name = 12,
  StrID_RotateX_Param_Name = 13,
  StrID_RotateY_Param_Name = 14,
  StrID_RotateZ_Param_Name = 15,
  StrID_Axis_Param_Name = 16,
  StrID_Radius_Param_Name = 17,
  StrID_SizeX_Param_Name = 18,
  StrID_SizeY_Param_Name = 19,
  StrID_SizeZ_Param_Name = 20,
  StrID_Frequency_Param_Name = 21,
  StrID_Offset_Param_Name = 22,
  StrID_Feather_Param_Name = 23,
  StrID_Thickness_Param_Name = 24,
  StrID_ScaleX_Param_Name = 25,
  StrID_ScaleY_Param_Name = 26,
  StrID_ScaleZ_Param_Name = 27,
  StrID_MultiplyValues_Param_Name = 28,
  StrID_Invert_Param_Name = 29,
  StrID_AlphaMatte_Param_Name = 30,
  StrID_Err_LoadSuite = 33,
  StrID_Err_FreeSuite = 34
};

// The text of the row with this id (the empty text for an id without a row);
// lives as long as the program.
const char* GetStringPtr(uint32_t strNum);
