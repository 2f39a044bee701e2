#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
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

// Collects the messages logged in one category while it lives, instead of printing them.
class LoggedMessages {
public:
    explicit LoggedMessages(const char* category);
    ~LoggedMessages();
    LoggedMessages(const LoggedMessages&) = delete;
    LoggedMessages& operator=(const LoggedMessages&) = delete;

    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QByteArray category_;
    QtMessageHandler previous_;
};

// Folder with real metafiles from other projects, or empty when it is not there.
QString sharedTestData();

} // namespace vlmtest
