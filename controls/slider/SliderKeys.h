#pragma once
// The zoom slider from the keyboard: the Value each key asks for. The slider
// assigns it through the Value setter, as a drag or a button step does.
#include <cstdint>
#include <optional>

#include "drawing/Surface.h"

namespace slider {

// Page Up and Page Down move this many SmallChange steps.
constexpr int kPageSteps = 10;

// Left and Down step down by SmallChange, Right and Up step up, Page Down
// and Page Up by kPageSteps steps, each stopping at the bound it passes, as
// the end buttons do; Home gives Min and End gives Max. nullopt for a key the
// slider leaves to its window.
std::optional<std::int32_t> ValueForKey(drawing::Key key, std::int32_t value, std::int32_t min, std::int32_t max,
                                        std::int32_t smallChange);

}  // namespace slider
