// Positions written in camera space, turned into world space with the
// camera of their own frame: the OpenEXR header's standard optional
// "worldToCamera" matrix (as OpenEXR stores it, for row vectors:
// camera = world x M), inverted.
#pragma once

#include <OpenImageIO/imageio.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "PositionChannels.h"
#include "kestrow/host/World.h"

namespace kestrow::cli {

// Row-vector convention: a point [x y z 1] times the matrix.
using Matrix44 = std::array<double, 16>;

// The header's "worldToCamera" matrix (single or double precision), or none.
std::optional<Matrix44> worldToCameraOf(const OIIO::ImageSpec& spec);

// The matrix of part `part` of a file's headers, else of its first part;
// none where neither has one.
std::optional<Matrix44> worldToCameraOf(const std::vector<OIIO::ImageSpec>& parts, int part);

// The same from the headers of the file at `path`, for the part that
// `selection` takes the position from. Throws a failure CliError naming
// `path` when the file cannot be opened.
std::optional<Matrix44> worldToCameraInFile(const std::string& path,
                                            const ChannelSelection& selection);

// Sixteen numbers, row by row, separated by commas or spaces, as
// --world-to-camera takes them. Throws a usage CliError naming `option`.
Matrix44 parseMatrix(const std::string& text, const std::string& option);

// The inverse, or none where the matrix is singular (or not finite).
std::optional<Matrix44> inverted(const Matrix44& m);

// Moves every pixel's red, green, blue (a position) by `m`, camera space to
// world space with the inverse of worldToCamera: [x y z 1] x m in double,
// divided by the fourth coordinate where the matrix is projective, each
// stored as float. Alpha is left alone.
void transformPositions(host::World& pass, const Matrix44& m);

}  // namespace kestrow::cli
