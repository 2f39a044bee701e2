#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

namespace vlm {

// Why a picture cannot be shown.
enum class PictureProblem { None, Missing, Unreadable, Broken, TooLarge, UnknownKind, Refused };

// The words the window shows for a problem ("soubor neexistuje", ...); empty for None.
QString problemText(PictureProblem problem);

struct PictureRequest {
    QString path;
    QSize box;          // in device pixels
    bool cover = false; // false: inside box (a preview); true: just covering it (the wallpaper)
    // The widest and the tallest monitor, which pick one of the pictures a GNOME background
    // file names, so that a preview shows the wallpaper's; empty: box.
    QSize screens;
    // Only the picture's upright size is wanted (box and cover are not used): the helper reads
    // the header where the kind allows, and no pixels come back.
    bool sizeOnly = false;
};

struct DecodedPicture {
    QImage image; // null when the picture cannot be shown, and for a size-only request
    PictureProblem problem = PictureProblem::None;
    QString detail; // why, in a sentence for standard error
    // The upright size: the image's, or for a size-only request the picture's own (for a drawing
    // or a kind read whole, a size of the picture's aspect). Invalid when it cannot be shown.
    QSize size;
};

// One picture on its way. It reports once, from the event loop of the thread that asked, never
// from within PictureSource::decode().
class PictureJob : public QObject {
    Q_OBJECT
public:
    // Stops the work at once (its helper ends) and reports nothing.
    virtual void cancel() = 0;

Q_SIGNALS:
    void finished(const vlm::DecodedPicture& picture);
};

// Letting go of a job cancels it; the object itself goes from the event loop, so a job may be
// let go of at any time, also while it reports.
struct PictureJobDeleter {
    void operator()(PictureJob* job) const {
        job->cancel();
        job->deleteLater();
    }
};
using PictureJobPtr = std::unique_ptr<PictureJob, PictureJobDeleter>;

// Decodes the pictures a user names, away from the window's thread.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    virtual PictureJobPtr decode(const PictureRequest& request) = 0;
};

// The real source: each picture decodes in a confined vlm-decode process, which reads the file
// the program opened for it; the program itself reads only the file's first bytes.
class DecodeServer;

class HelperPictureSource final : public PictureSource {
public:
    // helper: the vlm-decode executable; empty: every picture fails as one of unknown kind. The
    // common kinds go to vlm-decode-common beside it, when it is there.
    explicit HelperPictureSource(QString helper);
    ~HelperPictureSource() override;
    HelperPictureSource(HelperPictureSource&&) noexcept;
    HelperPictureSource& operator=(HelperPictureSource&&) noexcept;
    PictureJobPtr decode(const PictureRequest& request) override;

    // The helper beside the executable, else the installed one (bin/../libexec/vlm of the tree
    // that holds the executable, then the configured libexec folder), else $VLM_DECODE_HELPER.
    static QString findHelper(const QString& executableFolder);

private:
    QString helper_;
    QString commonHelper_;                 // helper_ when vlm-decode-common is missing
    std::unique_ptr<DecodeServer> server_; // of vlm-decode-common
};

// The widest and the tallest monitor in device pixels: a picture this size covers each one.
QSize screensCoverSize();

// A picture the program ships (the placeholder), read in the program and shrunk to fit within
// (when within is not empty); null when it is missing.
QImage shippedPicture(const QString& path, QSize within = {});

} // namespace vlm
