// Mattes made of the other mattes of a run: `--combine NAME=OP:A,B[,C...]`
// writes layer NAME from the matte layers A, B, ... (their `--add-layer` /
// `--matte` names), the operation applied left to right on each pixel's
// matte value in float.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kestrow/host/World.h"

namespace kestrow::cli {

enum class CombineOp { Max, Min, Subtract, Multiply, Difference };

struct CombineRequest {
  std::string layer;
  CombineOp op = CombineOp::Max;
  std::vector<std::string> parts;  // at least two
};

// "max", "min", "subtract", "multiply", "difference".
std::string_view combineOpName(CombineOp op);
// Every operation's name, for help texts: "max, min, subtract, multiply, difference".
std::string combineOpNames();

// Parses one --combine value. Throws a usage CliError naming --combine for
// a missing '=' or ':', an unknown operation, fewer than two parts or a
// layer name a pipeline could not take apart again.
CombineRequest parseCombineArgument(const std::string& text);

// One step of `op`, a the value so far, b the next part's:
//   max fmax(a, b)   min fmin(a, b)   subtract a * (1 - b)
//   multiply a * b   difference |a - b|
float combineStep(CombineOp op, float a, float b);

// A matte layer of the run as combining reads it: its render and whether
// the matte sits in alpha (else in red).
struct CombinePart {
  const host::World* render;
  bool inAlpha;
};

// The combined matte: every pixel's value in all four channels. The parts
// are renders of one pass, so all have its size.
host::World combineMattes(CombineOp op, const std::vector<CombinePart>& parts);

}  // namespace kestrow::cli
