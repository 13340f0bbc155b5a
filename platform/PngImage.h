#pragma once

#include <QByteArray>
#include <QImage>

namespace platform {

// Decodes an image file's bytes: a PNG with libpng directly, anything else
// with Qt's readers; a null image when the bytes are no image. Qt's readers
// load every image format plugin the first time they are asked; the
// program's own pictures (the window's design, its icon) are PNGs and are
// decoded without them, so no plugin is loaded while the window is built
// (a library loaded then would wait for the web engine's, loading beside).
QImage DecodeImage(const QByteArray& bytes);

}  // namespace platform
