#pragma once

#include "app/form1.h"
#include "collection/ui/collectionlist.h"
#include "common/linefile.h"
#include "desktop/commandline.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"
#include "support/testfiles.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vlmtest {

// The first queued answer, taken off the queue, or the fallback when none is left.
template <typename T, typename F> T take(std::deque<T>& queue, F fallback) {
    if (queue.empty())
        return T(fallback);
    T first = std::move(queue.front());
    queue.pop_front();
    return first;
}

struct ShownMessage {
    QString prompt;
    int style;
    QString title;
};

// Records every message; answers questions from a queue (Yes when it is empty).
class FakeMessageBox final : public vlm::MessageBox {
public:
    int show(const QString& prompt, int style, const QString& title) override {
        shown.push_back({prompt, style, title});
        if (whileShown)
            whileShown();
        return style == vlm::kStyleQuestion ? take(answers, vlm::kAnswerYes) : vlm::kAnswerOk;
    }
    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    std::function<void()> whileShown; // runs while a message is open, as a timer or session may
};

// Answers from a queue (a cancel when it is empty) and records the requests.
class FakeFileDialogs final : public vlm::FileDialogs {
public:
    std::optional<QString> open(const vlm::FileDialogRequest& request) override {
        openRequests.push_back(request);
        return answer(openResults);
    }
    std::optional<QString> save(const vlm::FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return answer(saveResults);
    }
    static std::optional<QString> answer(std::deque<QString>& queue) {
        return queue.empty() ? std::nullopt : std::optional(take(queue, QString()));
    }
    std::deque<QString> openResults, saveResults;
    std::vector<vlm::FileDialogRequest> openRequests, saveRequests;
};

class FakeClock final : public vlm::Clock {
public:
    QDateTime now() const override { return current; }
    void advance(qint64 msecs) { current = current.addMSecs(msecs); }
    QDateTime current{QDate(2026, 12, 6), QTime(10, 0, 0)};
};

// Returns the queued numbers in turn (then 0) and remembers the seeds it was given.
class FakeRandom final : public vlm::RandomSource {
public:
    void reseed(double seed) override { seeds.push_back(seed); }
    float next() override { return take(values, 0.0f); }
    std::deque<float> values;
    std::vector<double> seeds;
};

class RecordingBackend final : public vlm::WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("recording"); }
    void apply(const QString& bitmapPath, const QImage& picture) override {
        paths.push_back(bitmapPath);
        pictures.push_back(picture);
    }
    vlm::ComposedForm composedForm() const override { return form; }
    void applyComposed(const vlm::ComposedWallpaper& wallpaper) override {
        composed.push_back(wallpaper);
    }
    std::vector<QString> paths;
    std::vector<QImage> pictures;
    vlm::ComposedForm form = vlm::ComposedForm::MonitorFiles;
    std::vector<vlm::ComposedWallpaper> composed;
};

class FakeAutostart final : public vlm::AutostartStore {
public:
    bool SetRunValue(const QString& valueName, const QString& data) override {
        writes.emplace_back(valueName, data);
        return true;
    }
    bool RemoveRunValue(const QString& valueName) override {
        removals.push_back(valueName);
        return true;
    }
    std::vector<QString> removals;
    std::vector<std::pair<QString, QString>> writes;
};

// The user's left click on a list's row; with Ctrl it toggles the row's selection.
inline void clickRow(QAbstractItemView* list, int row,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF at = list->visualRect(list->model()->index(row, 0)).center();
    for (const auto& [type, held] : {std::pair(QEvent::MouseButtonPress, Qt::LeftButton),
                                     std::pair(QEvent::MouseButtonRelease, Qt::NoButton)}) {
        QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton, held,
                          modifiers);
        QApplication::sendEvent(list->viewport(), &event);
    }
}

// The keyboard focus arriving by the Tab key.
inline void tabInto(QWidget* widget) {
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &focus);
}

// The window with fakes in a temporary folder that holds the program's folder (with the
// placeholder picture) and the real INI store. The window is built on first use, so a test may
// change facts or locale first; load() runs start-up.
class FormFixture {
public:
    explicit FormFixture(vlm::LaunchRequest request = vlm::LaunchRequest::Run) {
        QDir().mkpath(programFolder());
        facts.executableFolder = facts.writableFolder = programFolder();
        facts.versionMajor = 2;
        facts.versionMinor = 0;
        facts.versionRevision = 4;
        facts.uninstallRequested = request == vlm::LaunchRequest::Uninstall;
        QImage(QStringLiteral(":/vlm/velmora.png"))
            .save(path(QStringLiteral("program/noimage.jpg")));
    }

    vlm::Form1& form() {
        if (!form_)
            form_ = std::make_unique<vlm::Form1>(vlm::Services{
                messages, settings, dialogs, clock, random, backend, autostart, pictures, facts,
                locale, [] { return true; }, nullptr, nullptr, monitors});
        return *form_;
    }
    void load() {
        form().Form_Load();
        settle();
    }
    void restart() { form_.reset(); } // the next form() is a new program on the same store
    void tick() { // the 100 ms tick at the clock's time, and the change it may start
        form().schedule().Timer1_Timer();
        settle();
    }
    // Runs the event loop until no change and no preview waits for its picture. The real tick
    // stays still meanwhile: the test's clock is the one that moves.
    void settle() {
        const QSignalBlocker still(form().Timer1());
        const auto busy = [this] {
            return form().change().busy() || control<vlm::ImageBox>("Nahled")->busy() ||
                   control<vlm::ImageBox>("Nahled2")->busy();
        };
        for (QDeadlineTimer hang(30000); busy() && !hang.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(busy()) << "a picture did not arrive within 30 s";
    }
    // The picture a preview shows once the window is seen.
    QImage shownPreview(const char* name) {
        form().show();
        settle();
        return control<vlm::ImageBox>(name)->picture();
    }

    QString programFolder() const { return path(QStringLiteral("program")); }
    QString path(const QString& name) const { return folder.path() + u'/' + name; }
    // Writes a picture of one colour (JPEG for .jpg, else BMP) and returns its path.
    QString solidPicture(const QString& name, const QColor& colour = Qt::red,
                         QSize size = {64, 48}) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString file = name.startsWith(u'/') ? name : path(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        const bool jpeg = QFileInfo(file).suffix().toLower() == u"jpg";
        EXPECT_TRUE(image.save(file, jpeg ? "JPG" : "BMP")) << file.toStdString();
        return file;
    }
    // Writes a collection file (CR LF line ends) and returns its path.
    QString collectionFile(const QString& name, const QStringList& entries) const {
        writeBytes(path(name), vlm::encodeLines(entries));
        return path(name);
    }
    // Writes a picture of each colour (0.bmp, 1.bmp, ...) into a collection start-up reopens.
    void rememberPictures(std::initializer_list<QColor> colours) {
        QStringList entries;
        for (const QColor& colour : colours)
            entries.append(
                solidPicture(QString::number(entries.size()) + QStringLiteral(".bmp"), colour));
        store("lastfile", collectionFile(QStringLiteral("c.vlk"), entries));
    }
    void store(const char* key, const QString& value) {
        ASSERT_TRUE(settings.save(QString::fromLatin1(key), value));
    }
    void store(const QStringList& options) { // each as key=value
        for (const QString& option : options)
            store(option.section(u'=', 0, 0).toLatin1(), option.section(u'=', 1));
    }
    QString stored(const char* key) const { return settings.read(QString::fromLatin1(key)); }
    QStringList stored(std::initializer_list<const char*> keys) const {
        QStringList values;
        for (const char* key : keys)
            values.append(stored(key));
        return values;
    }

    template <typename T> T* control(const char* name) { return form().control<T>(name); }
    QString text(const char* name) { // of a label or a line edit
        if (auto* label = form().findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        if (auto* edit = form().findChild<QLineEdit*>(QString::fromLatin1(name)))
            return edit->text();
        return {};
    }
    QStringList texts(std::initializer_list<const char*> names) {
        QStringList values;
        for (const char* name : names)
            values.append(text(name));
        return values;
    }

    // Exactly count messages were shown; the last has this style and contains text, or is
    // exactly text with that title when a title is given.
    ::testing::AssertionResult lastMessage(size_t count, int style, const QString& text,
                                           const QString& title = {}) const {
        if (messages.shown.size() != count)
            return ::testing::AssertionFailure() << messages.shown.size() << " messages shown";
        const ShownMessage& last = messages.shown.back();
        if (last.style == style && (title.isEmpty() ? last.prompt.contains(text)
                                                    : last.prompt == text && last.title == title))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "style " << last.style << ", title " << last.title.toStdString() << ", prompt "
               << last.prompt.toStdString();
    }

    ::testing::AssertionResult nothingChosen(size_t count) const {
        return lastMessage(count, vlm::kStyleError,
                           QStringLiteral("Záznam pro smazání nebyl vybrán"),
                           QStringLiteral("Chyba"));
    }

    QTemporaryDir folder;
    FakeMessageBox messages;
    FakeFileDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    RecordingBackend backend;
    FakeAutostart autostart;
    vlm::IniSettingsStore settings{path(QStringLiteral("config/vlm.ini"))};
    vlm::HelperPictureSource pictures{qEnvironmentVariable("VLM_DECODE_HELPER")};
    vlm::ProgramFacts facts;
    QList<vlm::Monitor> (*monitors)() = nullptr; // null: the screens
    QLocale locale = QLocale::c();

private:
    std::unique_ptr<vlm::Form1> form_;
};

} // namespace vlmtest
