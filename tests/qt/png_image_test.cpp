// The program decodes its own PNGs without Qt's readers; they must come out
// exactly as Qt's readers give them, and bad bytes must give no image.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "platform/PngImage.h"

namespace {

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PngImage, EveryPictureOfTheProgramDecodesAsQtDecodesIt) {
  QStringList paths;
  for (const char* folder : {PICTURE_DIR, ICON_DIR})
    for (const QString& name : QDir(QString::fromUtf8(folder)).entryList({QStringLiteral("*.png")}, QDir::Files))
      paths << QDir(QString::fromUtf8(folder)).filePath(name);
  ASSERT_GE(paths.size(), 10);
  for (const QString& path : paths) {
    const QByteArray bytes = Bytes(path);
    const QImage expected = QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32);
    const QImage decoded = platform::DecodeImage(bytes);
    ASSERT_FALSE(expected.isNull()) << path.toStdString();
    EXPECT_EQ(decoded.format(), QImage::Format_ARGB32) << path.toStdString();
    EXPECT_EQ(decoded, expected) << path.toStdString();
  }
}

TEST(PngImage, BadBytesGiveNoImage) {
  const QByteArray png = Bytes(QStringLiteral(ICON_DIR "/16x16.png"));
  ASSERT_FALSE(png.isEmpty());
  const QByteArray rows[] = {
      png.left(8),                 // the signature alone
      png.left(png.size() / 2),    // cut off in the pixel data
      QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(64, '\xff'),  // a signature over garbage
      QByteArray("not an image"),  // left to Qt's readers, which find nothing
  };
  for (const QByteArray& bytes : rows) EXPECT_TRUE(platform::DecodeImage(bytes).isNull()) << bytes.size();
}

}  // namespace
