#pragma once
// What assistive technology (a screen reader, through AT-SPI on Linux and
// the platform's own interfaces elsewhere) learns of the reader's window:
// the contents tree with one item per visible row, the zoom slider with its
// value, the hint balloon as a tool tip, and nothing that cannot be seen.
#include <QWidget>

namespace tree {
class Tray;
}
namespace slider {
class Hscroll;
}

namespace reader {

// Installs the application's interface; before the application object
// exists, so that it is the one assistive technology starts from. The
// controls' interfaces come with the first call below.
void InstallAccessibility();

// The tree's surface widget as a tree of its visible rows; the slider's as
// a slider named "Zoom"; both follow their control's changes.
void ExposeTree(QWidget& widget, tree::Tray& tray);
void ExposeSlider(QWidget& widget, slider::Hscroll& slider);
// A widget a reader cannot see (covered by another one) is left out of the
// window's accessible children, whatever its visible flag says.
void HideFromAccessibility(QWidget& widget);

}  // namespace reader
