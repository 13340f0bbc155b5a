#pragma once
// The drawing surface every control and the main window draw on: position
// and size in pixels, a retained image that the platform shows, and the
// drawing verbs the controls use. Models and painters see only this
// interface, so they run against a fake surface in tests.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "drawing/Colour.h"
#include "drawing/Font.h"
#include "drawing/Image.h"
#include "drawing/Region.h"

namespace drawing {

using WindowHandle = std::uintptr_t;

// How far a popup's drop shadow lies right of and below the popup.
constexpr int kDropShadowOffset = 5;

enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftState : int { kShiftKey = 1, kCtrlKey = 2, kAltKey = 4 };

// The keys the controls answer, apart from any toolkit's key codes; every
// other key is Other, with what it types (if anything) in text.
enum class Key { Other, Up, Down, Left, Right, Home, End, PageUp, PageDown, Enter, Space };
struct KeyPress {
  Key key = Key::Other;
  int shift = 0;     // ShiftState bits
  std::string text;  // UTF-8 the key types; empty for Ctrl or Alt chords
  bool autoRepeat = false;
};

// Input and life-cycle notifications, delivered on the UI thread. Buttons and
// modifiers are passed on even where a control ignores them.
struct SurfaceEvents {
  std::function<void(int button, int shift, double x, double y)> mouseDown;
  std::function<void(int button, int shift, double x, double y)> mouseMove;
  std::function<void(int button, int shift, double x, double y)> mouseUp;
  // The second press of a double click arrives as this event, not as a
  // mouseDown: press, release, double click, release.
  std::function<void(int button, int shift, double x, double y)> doubleClick;
  // Also while hidden: size rules must hold before the surface is shown.
  std::function<void()> resized;
  // The surface itself receives the keyboard focus.
  std::function<void()> gotFocus;
  // The focus enters the surface or one of its children from outside it.
  std::function<void()> enterFocus;
  std::function<void()> exitFocus;
  // A key pressed while the surface (or a child that leaves it unused) has
  // the focus; true when the control used it, else it goes on to the
  // surface's parent, up to the window.
  std::function<bool(const KeyPress& key)> keyDown;
  // The focus arrived from the keyboard (Tab, Shift+Tab, a window key),
  // as opposed to a click: the moment to show where the focus is.
  std::function<void()> keyboardFocus;
  std::function<void()> hidden;
};

class Surface {
 public:
  virtual ~Surface() = default;

  // Outer rectangle in the parent's pixels.
  virtual void Move(int left, int top, int width, int height) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Inner (client) size: the outer size less the border.
  virtual int ScaleWidth() const = 0;
  virtual int ScaleHeight() const = 0;

  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;

  virtual void SetBackColor(Colour colour) = 0;
  virtual Colour BackColor() const = 0;
  virtual void SetForeColor(Colour colour) = 0;
  virtual Colour ForeColor() const = 0;
  virtual void SetPicture(PicturePtr picture) = 0;
  virtual PicturePtr Picture() const = 0;
  virtual void SetFont(const Font& font) = 0;
  virtual const Font& GetFont() const = 0;
  // 0 none, 1 single; 0 flat, 1 3-D.
  virtual void SetBorderStyle(std::int16_t style) = 0;
  virtual std::int16_t BorderStyle() const = 0;
  virtual void SetAppearance(std::int16_t appearance) = 0;
  virtual std::int16_t Appearance() const = 0;

  // While on, drawing is kept in the retained image between repaints; the
  // image shown is always the retained one.
  virtual void SetAutoRedraw(bool on) = 0;
  virtual bool AutoRedraw() const = 0;

  // Fills with the background colour, then draws the picture at the top-left.
  virtual void Cls() = 0;

  virtual void SetCurrentX(double x) = 0;
  virtual void SetCurrentY(double y) = 0;
  virtual double CurrentX() const = 0;
  virtual double CurrentY() const = 0;
  virtual void SetFontTransparent(bool transparent) = 0;
  // Prints UTF-8 text at the current position in the fore colour and moves
  // the current position to the start of the next line.
  virtual void Print(std::string_view text) = 0;
  virtual double TextWidth(std::string_view text) const = 0;
  virtual double TextHeight(std::string_view text) const = 0;

  virtual void Line(double x1, double y1, double x2, double y2, Colour colour) = 0;
  virtual void Box(double x1, double y1, double x2, double y2, Colour colour) = 0;
  virtual void FilledBox(double x1, double y1, double x2, double y2, Colour colour) = 0;
  virtual void PaintPicture(const drawing::Picture& picture, double x, double y, double width, double height) = 0;

  // The retained image, for the raster operations; valid until the next
  // resize. Call Refresh after changing it directly.
  virtual PixelView Pixels() = 0;
  virtual void Refresh() = 0;

  // Popup side. LiftToDesktop turns the surface into a top-level popup at
  // screen position (Left, Top): still hidden, never activated, never given
  // the focus, not listed in a taskbar or window switcher. hWnd() stays the
  // same, and a shape or key given before carries over.
  virtual void LiftToDesktop() = 0;
  // Only pixels inside the region belong to the window (input and drawing);
  // an empty region gives the whole rectangle back.
  virtual void SetWindowShape(const Region& region) = 0;
  // Constant opacity alpha/255 for the whole window, and pixels of exactly
  // colour key cut out. Opacity needs a compositing manager; the key works
  // without one. The key follows the image: pixels drawn in it before or
  // after the call are cut out alike (the balloon draws first, then calls
  // this, then shows). False when the platform cannot do it at all.
  virtual bool SetLayered(std::uint8_t alpha, Colour key) = 0;
  // A soft shadow right of and below a shown top-level popup, drawn by us
  // where the window system has none; it counts as part of the window for
  // HostServices::WindowFromPoint, and shows, hides and goes with it. On a
  // surface that is not lifted it has no effect.
  virtual void SetDropShadow(bool on) = 0;

  virtual WindowHandle hWnd() const = 0;
  virtual WindowHandle hdc() const = 0;
  virtual bool HasDC() const = 0;

  SurfaceEvents events;
};

}  // namespace drawing
