// The page's palette of drawing tools: every kind the factory makes, with the
// name a person reads and the group it is shown in.
#pragma once

#include <nlohmann/json.hpp>

namespace qxindex {

// [{"kind", "name", "label", "group", "points"}] in palette order.
nlohmann::json ToolPaletteJson();

}  // namespace qxindex
