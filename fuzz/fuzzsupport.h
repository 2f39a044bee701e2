#pragma once

// Shared by the fuzz targets: each defines fuzzOne(), which gets the input both as bytes and
// as a data provider, and checks its properties with check().

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace vlm::fuzz {

// Stops the run with a message when a property fails; libFuzzer saves the input.
inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

// Any UTF-16 text, lone surrogates and NULs included; or, with utf8Too, maybe any UTF-8 text.
inline QString anyText(FuzzedDataProvider& data, std::size_t maxChars, bool utf8Too = false) {
    if (utf8Too && !data.ConsumeBool())
        return QString::fromStdString(data.ConsumeRandomLengthString(maxChars));
    QString text;
    for (auto chars = data.ConsumeIntegralInRange<std::size_t>(0, maxChars);
         chars > 0 && data.remaining_bytes() > 0; --chars)
        text += QChar(data.ConsumeIntegral<char16_t>());
    return text;
}

// Writes a file in this process's scratch folder, in memory where possible: the writers sync
// every file they replace.
inline QString writeScratchFile(const QString& name, QByteArrayView bytes) {
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/vlm-fuzz-XXXXXX")
                                 : QStringLiteral("/tmp/vlm-fuzz-XXXXXX"));
    QFile file(dir.filePath(name));
    check(dir.isValid() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes.data(), bytes.size()) == bytes.size(),
          "cannot write a scratch file");
    return file.fileName();
}

} // namespace vlm::fuzz

using namespace vlm;
static void fuzzOne(const QByteArray& input, FuzzedDataProvider& data);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    fuzzOne(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size)), data);
    return 0;
}
