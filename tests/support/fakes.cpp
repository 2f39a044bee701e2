#include "support/fakes.h"

#include "common/linefile.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace vlmtest {

int FakeMessageBox::show(const QString& prompt, int style, const QString& title) {
    shown.push_back({prompt, style, title});
    if (whileShown)
        whileShown();
    if (style != vlm::kStyleQuestion)
        return vlm::kAnswerOk;
    if (answers.empty())
        return vlm::kAnswerYes;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace {

// The next scripted answer, or a cancel when none is left. Built in place: GCC 12 warns about a
// copied std::optional<QString> that it wrongly thinks uninitialised.
std::optional<QString> takeFirst(std::deque<std::optional<QString>>& answers) {
    if (answers.empty() || !answers.front()) {
        if (!answers.empty())
            answers.pop_front();
        return std::nullopt;
    }
    std::optional<QString> result(std::in_place, std::move(*answers.front()));
    answers.pop_front();
    return result;
}

} // namespace

std::optional<QString> FakeFileDialogs::open(const vlm::FileDialogRequest& request) {
    openRequests.push_back(request);
    return takeFirst(openResults);
}

std::optional<QString> FakeFileDialogs::save(const vlm::FileDialogRequest& request) {
    saveRequests.push_back(request);
    return takeFirst(saveResults);
}

float FakeRandom::next() {
    if (values.empty())
        return 0.0f;
    const float value = values.front();
    values.pop_front();
    return value;
}

void RecordingBackend::apply(const QString& bitmapPath, const QImage& picture) {
    paths.push_back(bitmapPath);
    pictures.push_back(picture);
}

bool FakeAutostart::SetRunValue(const QString& valueName, const QString& data) {
    writes.emplace_back(valueName, data);
    return true;
}

void clickRow(QAbstractItemView* list, int row, Qt::KeyboardModifiers modifiers) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    const QPointF global = list->viewport()->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      modifiers);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, modifiers);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
}

void tabInto(QWidget* widget) {
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &focus);
}

FormFixture::FormFixture(const QLocale& locale, const QString& arguments) {
    QDir().mkpath(programFolder());
    settings = std::make_unique<vlm::IniSettingsStore>(path(QStringLiteral("config/vlm.ini")));
    pictures = std::make_unique<vlm::PictureLoader>(QString(), QSize(640, 480));
    facts.executableFolder = programFolder();
    facts.writableFolder = programFolder();
    facts.versionMajor = 2;
    facts.versionMinor = 0;
    facts.versionRevision = 4;
    facts.argumentString = arguments;
    QImage(QStringLiteral(":/vlm/velmora.png"))
        .save(programFolder() + QStringLiteral("/noimage.jpg"), "JPG");
    form_ = std::make_unique<vlm::Form1>(vlm::Services{messages, *settings, dialogs, clock, random,
                                                       backend, autostart, *pictures, facts, locale,
                                                       [] { return true; }});
}

FormFixture::~FormFixture() = default;

QString FormFixture::solidPicture(const QString& name, const QColor& colour, QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    image.save(file);
    return file;
}

QString FormFixture::collectionFile(const QString& name, const QStringList& entries) const {
    const QString file = path(name);
    writeBytes(file, vlm::encodeLines(entries));
    return file;
}

QString FormFixture::text(const char* name) const {
    if (auto* label = form_->findChild<QLabel*>(QString::fromLatin1(name)))
        return label->text();
    if (auto* edit = form_->findChild<QLineEdit*>(QString::fromLatin1(name)))
        return edit->text();
    return {};
}

} // namespace vlmtest
