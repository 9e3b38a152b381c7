// What an OpenEXR file's headers hold as stored, read without the image
// library: the library leaves out what it has no type for, so only the
// file itself tells what a rewrite through it would lose or change.
#pragma once

#include <string>
#include <vector>

namespace kestrow::cli {

struct ExrAttribute {
  std::string name, type;
  std::vector<unsigned char> value;  // the first bytes only (at most 16)
};

// Every part's attributes in file order. Stops quietly at the first thing
// that is not a well-formed header (the library reports real damage when
// it reads the file): what was read up to there is returned.
std::vector<std::vector<ExrAttribute>> readExrAttributes(const std::string& path);

// What writing `parts` again through OpenImageIO does not keep as it is
// (its line order is set by the writer): "preview (dropped)",
// "<name> (type <type>, dropped)", "<name> (floatvector, written as
// another type)", "envmap (dropped)", "textureformat (dropped)". Empty
// when everything is carried.
std::vector<std::string> uncarriedAttributes(const std::vector<std::vector<ExrAttribute>>& parts);

}  // namespace kestrow::cli
