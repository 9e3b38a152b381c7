// Setting control values on an effect instance the way a user would set
// them, and reading back what an instance holds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "kestrow/host/Instance.h"

namespace kestrow::cli {

// Loads the picture named by a Layer control into a host world.
using LayerLoader = std::function<std::shared_ptr<host::World>(const std::string& path)>;

// Sets every value in index order through the instance's user-facing
// setters (so the plug-in sees the same commands as when a user edits the
// controls). A colour goes through the eyedropper path, which lets the
// plug-in move "Position" to it. Host refusals throw a usage CliError
// naming the control.
void applyControls(host::Instance& instance, const std::vector<ControlSpec>& specs,
                   const ControlValues& values, const LayerLoader& loadLayer);

// The instance's current value of a control (layers: `layerPath`).
ControlValue currentValue(const host::Instance& instance, const ControlSpec& spec,
                          const std::string& layerPath);

// Whether to read the coverage of renders of `instance` from alpha rather
// than red: red only while the alpha-matte switch is shown and off. Where
// the plug-in hides it, it writes colour and alpha keeps the coverage.
bool matteInAlpha(const host::Instance& instance, const std::vector<ControlSpec>& specs);

// Whether renders of `instance` are a colour rather than a matte: the
// plug-in hides the alpha-matte switch where it writes colour.
bool rendersColour(const host::Instance& instance, const std::vector<ControlSpec>& specs);

}  // namespace kestrow::cli
