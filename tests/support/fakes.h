#pragma once

#include "app/form1.h"
#include "collection/ui/collectionlist.h"
#include "desktop/commandline.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"
#include "support/testfiles.h"

#include <QListWidget>
#include <QTemporaryDir>
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

// The same for a dialog's answers (a cancel when none is left), built in place: GCC 12 warns
// about a copied std::optional<QString> that it wrongly thinks uninitialised.
inline std::optional<QString> takeAnswer(std::deque<std::optional<QString>>& answers) {
    if (answers.empty() || !answers.front()) {
        if (!answers.empty())
            answers.pop_front();
        return std::nullopt;
    }
    std::optional<QString> result(std::in_place, std::move(*answers.front()));
    answers.pop_front();
    return result;
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
        if (style != vlm::kStyleQuestion)
            return vlm::kAnswerOk;
        return answers.empty() ? vlm::kAnswerYes : take(answers, 0);
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
        return takeAnswer(openResults);
    }
    std::optional<QString> save(const vlm::FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return takeAnswer(saveResults);
    }
    std::deque<std::optional<QString>> openResults, saveResults;
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
    std::vector<QString> paths;
    std::vector<QImage> pictures;
};

class FakeAutostart final : public vlm::AutostartStore {
public:
    bool SetRunValue(const QString& valueName, const QString& data) override {
        writes.emplace_back(valueName, data);
        return true;
    }
    std::vector<std::pair<QString, QString>> writes;
};

// The user's left click on a list's row; with Ctrl it toggles the row's selection.
void clickRow(QAbstractItemView* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The keyboard focus arriving by the Tab key.
void tabInto(QWidget* widget);

// The window with fakes in a private temporary folder: the program's folder (with the
// placeholder picture) and the real INI store live there. The window is built on first use, so
// a test may change facts, locale or volumeUsable first; load() runs start-up.
class FormFixture {
public:
    explicit FormFixture(vlm::LaunchRequest request = vlm::LaunchRequest::Run);
    ~FormFixture();

    vlm::Form1& form();
    void load() { form().Form_Load(); }
    void tick(); // the 100 ms tick at the fake clock's time

    QString programFolder() const { return path(QStringLiteral("program")); }
    QString path(const QString& name) const { return folder.path() + u'/' + name; }
    // Writes a picture of one colour (JPEG for .jpg, else BMP whatever the suffix) and returns
    // its path.
    QString solidPicture(const QString& name, const QColor& colour = Qt::red,
                         QSize size = {64, 48}) const;
    // Writes a collection file with CR LF after each line and returns its path.
    QString collectionFile(const QString& name, const QStringList& entries) const;
    void store(const char* key, const QString& value);
    QString stored(const char* key) const { return settings.read(QString::fromLatin1(key)); }

    template <typename T> T* control(const char* name) { return form().control<T>(name); }
    QString text(const char* name); // of a label or a line edit

    // Exactly count messages were shown; the last has this style and contains text, or is
    // exactly text with that title when a title is given.
    ::testing::AssertionResult lastMessage(size_t count, int style, const QString& text,
                                           const QString& title = {}) const;

    QTemporaryDir folder;
    FakeMessageBox messages;
    FakeFileDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    RecordingBackend backend;
    FakeAutostart autostart;
    vlm::IniSettingsStore settings{path(QStringLiteral("config/vlm.ini"))};
    vlm::PictureLoader pictures{QString(), QSize(640, 480)};
    vlm::ProgramFacts facts;
    QLocale locale = QLocale::c();
    bool (*volumeUsable)(const QString& root) = nullptr; // null: the real volumes

private:
    std::unique_ptr<vlm::Form1> form_;
};

} // namespace vlmtest
