#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vlmtest {

// Writes bytes to a file, creating folders; fails the test on error.
void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

// The picture encoded in a Qt format ("bmp", "jpeg", "ico", "png"); fails the test on error.
QByteArray encoded(const QImage& image, const char* format);

// Folder with real metafiles from other projects, or empty when it is not there.
QString sharedTestData();

} // namespace vlmtest
