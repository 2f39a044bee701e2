#include "support/fakes.h"

#include "common/linefile.h"
#include "schedule/ui/schedule.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace vlmtest {

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

FormFixture::FormFixture(vlm::LaunchRequest request) {
    QDir().mkpath(programFolder());
    facts.executableFolder = facts.writableFolder = programFolder();
    facts.versionMajor = 2;
    facts.versionMinor = 0;
    facts.versionRevision = 4;
    facts.uninstallRequested = request == vlm::LaunchRequest::Uninstall;
    QImage(QStringLiteral(":/vlm/velmora.png"))
        .save(programFolder() + QStringLiteral("/noimage.jpg"), "JPG");
}

FormFixture::~FormFixture() = default;

vlm::Form1& FormFixture::form() {
    if (!form_)
        form_ = std::make_unique<vlm::Form1>(
            vlm::Services{messages, settings, dialogs, clock, random, backend, autostart, pictures,
                          facts, locale, [] { return true; }, volumeUsable});
    return *form_;
}

void FormFixture::tick() {
    form().schedule().Timer1_Timer();
}

QString FormFixture::solidPicture(const QString& name, const QColor& colour, QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString file = name.startsWith(u'/') ? name : path(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const bool jpeg = QFileInfo(file).suffix().toLower() == u"jpg";
    EXPECT_TRUE(image.save(file, jpeg ? "JPG" : "BMP")) << file.toStdString();
    return file;
}

QString FormFixture::collectionFile(const QString& name, const QStringList& entries) const {
    const QString file = path(name);
    writeBytes(file, vlm::encodeLines(entries));
    return file;
}

void FormFixture::store(const char* key, const QString& value) {
    ASSERT_TRUE(settings.save(QString::fromLatin1(key), value));
}

QString FormFixture::text(const char* name) {
    if (auto* label = form().findChild<QLabel*>(QString::fromLatin1(name)))
        return label->text();
    if (auto* edit = form().findChild<QLineEdit*>(QString::fromLatin1(name)))
        return edit->text();
    return {};
}

::testing::AssertionResult FormFixture::lastMessage(size_t count, int style, const QString& text,
                                                    const QString& title) const {
    if (messages.shown.size() != count)
        return ::testing::AssertionFailure() << messages.shown.size() << " messages shown";
    const ShownMessage& last = messages.shown.back();
    if (last.style == style &&
        (title.isEmpty() ? last.prompt.contains(text) : last.prompt == text && last.title == title))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "style " << last.style << ", title " << last.title.toStdString() << ", prompt "
           << last.prompt.toStdString();
}

} // namespace vlmtest
