#pragma once

// Small helpers shared by the fuzz targets.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace vlm::fuzz {

// Stops the run with a message; libFuzzer saves the input that got here.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition)
        fail(what);
}

// Any UTF-16 text, lone surrogates and NULs included.
inline QString anyText(FuzzedDataProvider& data, std::size_t maxChars = 512) {
    const std::size_t chars = data.ConsumeIntegralInRange<std::size_t>(0, maxChars);
    QString text;
    for (std::size_t i = 0; i < chars && data.remaining_bytes() > 0; ++i)
        text += QChar(data.ConsumeIntegral<char16_t>());
    return text;
}

inline QByteArray anyBytes(FuzzedDataProvider& data, std::size_t maxBytes) {
    const std::string bytes = data.ConsumeRandomLengthString(maxBytes);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// One scratch folder per fuzzing process.
inline const QString& scratchDir() {
    // In memory where possible: the writers sync every file they replace.
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/vlm-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/vlm-fuzz-XXXXXX"));
    static const QString path = dir.isValid() ? dir.path() : QString();
    if (path.isEmpty())
        fail("no temporary folder");
    return path;
}

inline QString writeScratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = scratchDir() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write a scratch file");
    return path;
}

} // namespace vlm::fuzz
