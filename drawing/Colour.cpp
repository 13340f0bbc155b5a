#include "drawing/Colour.h"

#include <algorithm>

namespace drawing {

Colour ShiftColour(Colour colour, bool lighten, int amount) {
  const long long delta = lighten ? static_cast<long long>(amount) : -static_cast<long long>(amount);
  auto shift = [delta](int channel) {
    return static_cast<int>(std::clamp<long long>(channel + delta, 0, 255));
  };
  return MakeColour(shift(RedOf(colour)), shift(GreenOf(colour)), shift(BlueOf(colour)));
}

}  // namespace drawing
