#include "support/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace vlmtest {
namespace {

LoggedMessages* collecting = nullptr;

} // namespace

LoggedMessages::LoggedMessages(const char* category)
    : category_(category), previous_(qInstallMessageHandler(&LoggedMessages::handle)) {
    collecting = this;
}

LoggedMessages::~LoggedMessages() {
    collecting = nullptr;
    qInstallMessageHandler(previous_);
}

void LoggedMessages::handle(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    if (collecting && context.category && collecting->category_ == context.category)
        collecting->messages.append(text);
    else if (collecting && collecting->previous_)
        collecting->previous_(type, context, text);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

QString sharedTestData() {
    const QString dir = qEnvironmentVariable("VLM_SHARED_TESTDATA");
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

} // namespace vlmtest
