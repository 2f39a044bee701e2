#include "common/decodewire.h"
#include "platform/bubblewrap.h"
#include "platform/decodedpicturereader.h"
#include "platform/decodehelper.h"
#include "platform/decodeserver.h"
#include "platform/gnomebackground.h"
#include "platform/outputpipe.h"
#include "platform/picturekind.h"
#include "platform/picturesource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vlm {

namespace {

// An open file that closes when the last copy of it goes, also when nobody took the result of
// the thread that opened it.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

struct OpenedPicture {
    std::shared_ptr<Descriptor> file;
    const PictureKindRow* kind = nullptr;
    PictureProblem problem = PictureProblem::None;
    QString detail;
};

OpenedPicture refused(PictureProblem problem, QString detail) {
    return {nullptr, nullptr, problem, std::move(detail)};
}

OpenedPicture openPicture(const QString& path, QSize screens, bool namedByBackground = false);

// The picture a GNOME background file names for these screens, opened as any picture; the
// background file is read whole, up to its cap, from its open descriptor.
OpenedPicture openNamedPicture(int fd, const QString& path, QSize screens) {
    QByteArray xml(kGnomeBackgroundMaxBytes + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (ssize_t n = 1; n > 0 && got < xml.size(); got += n)
        n = std::max<ssize_t>(0, ::pread(fd, xml.data() + got, std::size_t(xml.size() - got), got));
    xml.truncate(got);
    const GnomeBackgroundChoice choice = chooseGnomeBackgroundPicture(xml, path, {screens});
    if (choice.picture.isEmpty())
        return refused(xml.size() > kGnomeBackgroundMaxBytes ? PictureProblem::TooLarge
                                                             : PictureProblem::Broken,
                       choice.problem);
    OpenedPicture named = openPicture(choice.picture, screens, true);
    if (!named.file)
        named.detail = QStringLiteral("%1 (the picture %2 names)").arg(named.detail, path);
    return named;
}

// Runs on a worker thread: opening a file on a slow or hung medium must not hold the window.
// The file is opened once and only that descriptor is used, so a file swapped in after the
// checks (a named pipe that would hang a reader) is never what the helper gets. A GNOME
// background file stands for the picture it names for the screens, which must be no such file.
OpenedPicture openPicture(const QString& path, QSize screens, bool namedByBackground) {
    probeHelperSandbox(); // once, here: it starts a process and waits for it
    if (path.isEmpty())
        return refused(PictureProblem::Missing, QStringLiteral("no file is named"));
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        const QString why = QString::fromLocal8Bit(std::strerror(error));
        return error == ENOENT || error == ENOTDIR
                   ? refused(PictureProblem::Missing, QStringLiteral("the file does not exist"))
                   : refused(PictureProblem::Unreadable,
                             QStringLiteral("the file cannot be opened: ") + why);
    }
    auto file = std::make_shared<Descriptor>(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return refused(PictureProblem::Unreadable, QStringLiteral("it is not a file"));
    char head[kPictureSniffBytes];
    const ssize_t read = ::pread(fd, head, sizeof head, 0);
    if (read < 0)
        return refused(PictureProblem::Unreadable, QStringLiteral("the file cannot be read"));
    const PictureKindRow* kind = pictureKindRow(sniffPictureKind(QByteArrayView(head, read)));
    if (kind && kind->decoder == PictureDecoder::BackgroundFile)
        return namedByBackground
                   ? refused(PictureProblem::Refused,
                             QStringLiteral("a GNOME background file names another one"))
                   : openNamedPicture(fd, path, screens);
    const auto* format = kind ? decodewire::formatFor(kind->format) : nullptr;
    if (!format)
        return refused(PictureProblem::UnknownKind,
                       QStringLiteral("the file is not a picture of a kind the program shows"));
    if (status.st_size > format->maxInputBytes)
        return refused(PictureProblem::TooLarge,
                       QStringLiteral("the file is larger than the decoder takes (%1 MiB)")
                           .arg(format->maxInputBytes / (1024 * 1024)));
    return {std::move(file), kind, PictureProblem::None, {}};
}

// librsvg takes seconds of CPU for the blurs of some of Debian's own wallpapers at a screen's
// size: an SVG gets a photo's time, within a drawing's memory.
constexpr HelperLimits kSvgLimits{kDrawingLimits.addressSpaceBytes, kPhotoLimits.cpuSeconds,
                                  kPhotoLimits.timeout};

// The requested size within what the helper may return, keeping its aspect.
QSize helperBox(QSize box, const decodewire::Format& format) {
    const QSize largest(int(format.maxSide), int(format.maxSide));
    return box.isEmpty() ? largest : box.boundedTo(largest);
}

DecodedPicture failure(PictureProblem problem, QString detail) {
    return {QImage(), problem, std::move(detail), {}};
}

DecodedPicture brokenAnswer() {
    return failure(PictureProblem::Refused, QStringLiteral("the decoder's answer is broken"));
}

DecodedPicture fromExit(int exitCode, QProcess::ExitStatus status, DecodedPictureReader& reader) {
    if (status != QProcess::NormalExit)
        return failure(PictureProblem::Refused,
                       QStringLiteral("the decoder was stopped by a limit or its filter"));
    switch (exitCode) {
    case decodewire::kDecoded:
        if (const QSize size = reader.finishSize(); size.isValid())
            return {QImage(), PictureProblem::None, {}, size};
        if (QImage image = reader.finish(); !image.isNull()) {
            const QSize size = image.size();
            return {std::move(image), PictureProblem::None, {}, size};
        }
        return brokenAnswer();
    case decodewire::kBroken:
        return failure(PictureProblem::Broken, QStringLiteral("the picture is broken"));
    case decodewire::kTooLarge:
        return failure(PictureProblem::TooLarge,
                       QStringLiteral("the picture is larger than the program shows"));
    default:
        return failure(PictureProblem::Refused,
                       QStringLiteral("the decoder refused the picture (status %1)").arg(exitCode));
    }
}

class HelperPictureJob final : public PictureJob {
public:
    HelperPictureJob(QString helper, QString commonHelper, PictureRequest request,
                     DecodeServer* server)
        : helper_(std::move(helper)), commonHelper_(std::move(commonHelper)),
          request_(std::move(request)), server_(server) {
        connect(&opening_, &QFutureWatcher<OpenedPicture>::finished, this,
                [this] { startHelper(opening_.result()); });
        const QSize screens = request_.screens.isEmpty() ? request_.box : request_.screens;
        opening_.setFuture(QtConcurrent::run(openPicture, request_.path, screens, false));
        timeout_.setSingleShot(true);
        connect(&timeout_, &QTimer::timeout, this, [this] {
            finish(failure(PictureProblem::Refused, QStringLiteral("the decoder took too long")));
        });
    }

    ~HelperPictureJob() override { stopHelper(); }

    void cancel() override {
        done_ = true;
        opening_.disconnect(this);
        timeout_.stop();
        stopHelper();
    }

private:
    void startHelper(OpenedPicture opened) {
        if (!opened.file)
            return finish(failure(opened.problem, opened.detail));
        if (helper_.isEmpty())
            return finish(failure(PictureProblem::UnknownKind,
                                  QStringLiteral("the helper vlm-decode is missing")));
        const bool drawing = opened.kind->decoder == PictureDecoder::HelperDrawing;
        const auto& format = drawing ? decodewire::kDrawing : decodewire::kRaster;
        const HelperLimits& limits = opened.kind->kind == PictureKind::Svg ? kSvgLimits
                                     : drawing                             ? kDrawingLimits
                                                                           : kPhotoLimits;
        const QSize box = helperBox(request_.box, format);
        reader_.emplace(format, request_.sizeOnly);
        output_.emplace();
        if (!output_->isOpen())
            return finish(failure(PictureProblem::Refused,
                                  QStringLiteral("the helper vlm-decode could not start")));
        const QString kind = QString::fromLatin1(opened.kind->format);
        const QStringList arguments =
            request_.sizeOnly
                ? QStringList{kind, QStringLiteral("size")}
                : QStringList{kind,
                              request_.cover ? QStringLiteral("cover") : QStringLiteral("within"),
                              QString::number(box.width()), QString::number(box.height())};
        // The output is taken as it comes, so a helper that floods the pipe or answers nonsense
        // is stopped.
        notifier_ = new QSocketNotifier(output_->readEnd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            if (!output_->readInto(*reader_))
                finish(brokenAnswer());
        });
        timeout_.start(limits.timeout);
        const bool common = decodewire::isCommonKind(opened.kind->format);
        served_ = common && server_ &&
                  server_->decode(arguments, opened.file->fd(), output_->writeEnd(),
                                  [this](int code, QProcess::ExitStatus how) {
                                      served_ = false;
                                      decoderEnded(code, how);
                                  });
        if (!served_)
            startProcess(common ? commonHelper_ : helper_, arguments, limits, opened.file->fd());
        output_->closeWriteEnd();
    }

    // A helper of this picture's own, when the server is busy or there is none.
    void startProcess(const QString& program, const QStringList& arguments,
                      const HelperLimits& limits, int pictureFd) {
        process_ = new QProcess;
        process_->setProgram(program);
        process_->setArguments(arguments);
        prepareHelper(*process_, limits, pictureFd, output_->writeEnd());
        connect(process_, &QProcess::readyReadStandardError, this, [this] {
            constexpr qsizetype kMostMessageBytes = 4096; // the rest is read and dropped
            messages_ += process_->readAllStandardError();
            messages_.truncate(kMostMessageBytes);
        });
        connect(process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus how) {
            messages_ += process_->readAllStandardError();
            decoderEnded(code, how);
        });
        connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                finish(failure(PictureProblem::Refused,
                               QStringLiteral("the helper vlm-decode could not start")));
        });
        process_->start(QIODevice::ReadOnly);
    }

    void decoderEnded(int code, QProcess::ExitStatus how) {
        if (!output_->readInto(*reader_)) // what the decoder wrote before it ended
            return finish(brokenAnswer());
        finish(fromExit(code, how, *reader_));
    }

    void finish(DecodedPicture picture) {
        if (done_)
            return;
        done_ = true;
        timeout_.stop();
        stopHelper();
        reportHelperMessages(messages_);
        Q_EMIT finished(picture);
    }

    // A helper still running is killed, and its process object lives on until the system has
    // reaped it, so that nothing here waits.
    void stopHelper() {
        delete std::exchange(notifier_, nullptr);
        if (std::exchange(served_, false) && server_)
            server_->cancel();
        if (QProcess* process = std::exchange(process_, nullptr))
            discardHelper(process);
    }

    QString helper_;
    QString commonHelper_;
    PictureRequest request_;
    QFutureWatcher<OpenedPicture> opening_;
    QTimer timeout_;
    QProcess* process_ = nullptr;
    std::optional<DecodedPictureReader> reader_;
    std::optional<OutputPipe> output_;
    QSocketNotifier* notifier_ = nullptr;
    QPointer<DecodeServer> server_;
    bool served_ = false; // the server decodes this picture
    QByteArray messages_;
    bool done_ = false;
};

} // namespace

HelperPictureSource::HelperPictureSource(QString helper)
    : helper_(std::move(helper)), commonHelper_(helper_) {
    if (helper_.isEmpty())
        return;
    const QFileInfo common(QFileInfo(helper_).dir().filePath(QStringLiteral("vlm-decode-common")));
    if (common.isFile() && common.isExecutable()) {
        commonHelper_ = common.filePath();
        server_ = std::make_unique<DecodeServer>(commonHelper_);
    }
}

HelperPictureSource::~HelperPictureSource() = default;
HelperPictureSource::HelperPictureSource(HelperPictureSource&&) noexcept = default;
HelperPictureSource& HelperPictureSource::operator=(HelperPictureSource&&) noexcept = default;

PictureJobPtr HelperPictureSource::decode(const PictureRequest& request) {
    return PictureJobPtr(new HelperPictureJob(helper_, commonHelper_, request, server_.get()));
}

} // namespace vlm
