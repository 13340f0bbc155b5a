#pragma once
// Questions only the X server can answer for the whole desktop (other
// programs' windows and buttons included), asked through Qt's own xcb
// connection. Every call reports "cannot ask" instead of failing where there
// is no X server behind the application (offscreen, Wayland).
#include <cstdint>
#include <optional>

namespace platform::x11 {

struct PointerState {
  int rootX = 0;
  int rootY = 0;
  std::uint16_t buttonMask = 0;  // core protocol: 0x100 left, 0x200 middle, 0x400 right
};

// True when the application talks to an X server.
bool Available();
std::optional<PointerState> QueryPointer();
// The innermost mapped window that holds a root-window point, as the server
// sees it (window shapes included); the root window itself over bare
// desktop. Empty where the server cannot be asked.
std::optional<std::uint32_t> WindowAt(int rootX, int rootY);
// Copies the root window's pixels of a rectangle (root coordinates) into
// rows of 32-bit 0xFFRRGGBB words, `stride` words apart; pixels beyond the
// root stay as they were. False where the server cannot be asked or its
// pixel layout is not 24-bit colour in 32-bit words (the caller then takes
// the slower general path).
bool ReadRootPixels(int left, int top, int width, int height, std::uint32_t* rows, int stride);

}  // namespace platform::x11
