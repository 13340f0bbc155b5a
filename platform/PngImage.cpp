#include "platform/PngImage.h"

#include <png.h>

namespace platform {

QImage DecodeImage(const QByteArray& bytes) {
  constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
  if (!bytes.startsWith(kPngSignature)) return QImage::fromData(bytes);
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.constData(), static_cast<std::size_t>(bytes.size())))
    return QImage();
  // Blue, green, red, alpha in memory is QImage's ARGB32 on a little-endian
  // machine, straight (not premultiplied) alpha, as PNG stores it.
  png.format = PNG_FORMAT_BGRA;
  QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_ARGB32);
  if (image.isNull() ||
      !png_image_finish_read(&png, nullptr, image.bits(), static_cast<png_int_32>(image.bytesPerLine()), nullptr)) {
    png_image_free(&png);
    return QImage();
  }
  return image;
}

}  // namespace platform
