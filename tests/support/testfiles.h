#pragma once

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vlmtest {

// Writes bytes to a file, creating folders; fails the test on error.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture encoded in a Qt format ("bmp", "jpeg", "ico", "png"); fails the test on error.
inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

// Collects the messages logged in one category while it lives, instead of printing them.
class LoggedMessages {
public:
    explicit LoggedMessages(const char* category)
        : category_(category), previous_(qInstallMessageHandler(&handle)) {
        collecting = this;
    }
    ~LoggedMessages() {
        collecting = nullptr;
        qInstallMessageHandler(previous_);
    }
    LoggedMessages(const LoggedMessages&) = delete;
    LoggedMessages& operator=(const LoggedMessages&) = delete;

    QStringList messages;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (collecting && context.category && collecting->category_ == context.category)
            collecting->messages.append(text);
        else if (collecting && collecting->previous_)
            collecting->previous_(type, context, text);
    }

    static inline LoggedMessages* collecting = nullptr;
    QByteArray category_;
    QtMessageHandler previous_;
};

// Folder with real metafiles from other projects, or empty when it is not there.
inline QString sharedTestData() {
    const QString dir = qEnvironmentVariable("VLM_SHARED_TESTDATA");
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

} // namespace vlmtest
