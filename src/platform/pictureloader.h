#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace vlm {

// Loads the picture files a collection may hold (BMP, DIB, JPEG, GIF, ICO, WMF, EMF).
// A missing, unreadable, truncated, oversized or unsupported file gives a null image, fast and
// without exhausting memory. Metafiles are rasterised to fit targetSize, keeping their aspect.
class PictureLoader {
public:
    // metafileHelper: path of the vlm-metafile executable; empty means metafiles fail.
    PictureLoader(QString metafileHelper, QSize targetSize);

    QImage load(const QString& path) const;

    // True while a load runs. A metafile renders with the event loop running (timers keep
    // firing), so a handler that a timer starts may find a load under way.
    bool busy() const { return loadsRunning_ > 0; }

    // Caps what Qt's decoders may allocate for one picture. Qt keeps one cap for the whole
    // process, so the program sets it once at start-up, before any picture is read.
    static void limitDecoderMemory();

    // The helper beside the executable, else the installed one (bin/../libexec/vlm of the tree
    // that holds the executable, then the configured libexec folder), else $VLM_METAFILE_HELPER.
    static QString findMetafileHelper(const QString& executableFolder);

private:
    QString metafileHelper_;
    QSize targetSize_;
    mutable int loadsRunning_ = 0;
};

} // namespace vlm
