// The position pass as a point cloud coloured by the matte, so that the
// volume a matte picks can be seen in a 3D application: a binary
// little-endian PLY file of the covered pixels' world positions.
#pragma once

#include <string>

#include "kestrow/host/World.h"

namespace kestrow::cli {

// How a render colours its points: the matte as grey (read from alpha or
// from red), or the render's own colour ("Layer" mode).
enum class PointColour { MatteInAlpha, MatteInRed, Colour };

// Every how-many-th covered pixel a frame of width x height keeps by
// default: at most about 500,000 points (a 4K frame keeps every 17th).
int defaultPointStep(int width, int height);

// Writes every `step`-th covered pixel of `pass` (alpha above 0 and a
// finite position; row by row, left to right) as a vertex: x, y, z float
// from the pass, red, green, blue uchar from `render` (values clamped to
// 0..1, scaled by 255 and rounded; not-a-number as 0). Written through a
// temporary file; throws a failure CliError naming `path`. Returns the
// number of points.
long long writePointCloud(const std::string& path, const host::World& pass,
                          const host::World& render, PointColour colour, int step);

}  // namespace kestrow::cli
