#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace vlm {

// The largest picture the program shows: a 200-megapixel phone photograph, and no side longer
// than a bitmap viewer takes. A larger one is an entry that cannot be shown.
inline constexpr qint64 kMaxPicturePixels = 200'000'000;
inline constexpr int kMaxPictureSide = 65535;

// Loads the picture files a collection may hold, of the kinds picturekind.h lists, by their
// content. A missing, unreadable, truncated, oversized or unsupported file gives a null image,
// fast and without exhausting memory, and a reason. Photographs come upright (their EXIF
// orientation applied). Metafiles are drawn to fit targetSize, keeping their aspect.
class PictureLoader {
public:
    // decodeHelper: path of the vlm-decode executable; empty means the kinds it decodes
    // fail.
    PictureLoader(QString decodeHelper, QSize targetSize);

    // within empty: the whole picture. Otherwise a picture for a preview of about that size:
    // shrunk to fit inside it (never enlarged), decoded at a fraction of its size where the
    // decoder can (JPEG, the helper's kinds), so a large photograph costs little memory.
    // whyNot, when given, receives the reason a load failed.
    QImage load(const QString& path, QSize within = {}, QString* whyNot = nullptr) const;

    // True while a load runs. The helper decodes with the event loop running (timers keep
    // firing), so a handler that a timer starts may find a load under way.
    bool busy() const { return loadsRunning_ > 0; }

    // Caps what Qt's decoders may allocate for one picture. Qt keeps one cap for the whole
    // process, so the program sets it once at start-up, before any picture is read.
    static void limitDecoderMemory();

    // The helper beside the executable, else the installed one (bin/../libexec/vlm of the tree
    // that holds the executable, then the configured libexec folder), else $VLM_DECODE_HELPER.
    static QString findDecodeHelper(const QString& executableFolder);

private:
    QImage loadFile(const QString& path, QSize within, QString& whyNot) const;

    QString decodeHelper_;
    QSize targetSize_;
    mutable int loadsRunning_ = 0;
};

} // namespace vlm
