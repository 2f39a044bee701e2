#pragma once

#include "app/form1.h"
#include "collection/ui/collectionlist.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"
#include "support/testfiles.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vlmtest {

struct ShownMessage {
    QString prompt;
    int style;
    QString title;
};

// Records every message; answers questions from a queue (Yes when it is empty).
class FakeMessageBox final : public vlm::MessageBox {
public:
    int show(const QString& prompt, int style, const QString& title) override;
    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    std::function<void()> whileShown; // runs while a message is open, as a timer or session may
};

class FakeFileDialogs final : public vlm::FileDialogs {
public:
    std::optional<QString> open(const vlm::FileDialogRequest& request) override;
    std::optional<QString> save(const vlm::FileDialogRequest& request) override;
    std::deque<std::optional<QString>> openResults;
    std::deque<std::optional<QString>> saveResults;
    std::vector<vlm::FileDialogRequest> openRequests;
    std::vector<vlm::FileDialogRequest> saveRequests;
};

class FakeClock final : public vlm::Clock {
public:
    QDateTime now() const override { return current; }
    void advance(qint64 msecs) { current = current.addMSecs(msecs); }
    QDateTime current{QDate(2026, 12, 6), QTime(10, 0, 0)};
};

// Returns the queued numbers in turn and remembers the seeds it was given.
class FakeRandom final : public vlm::RandomSource {
public:
    void reseed(double seed) override { seeds.push_back(seed); }
    float next() override;
    std::deque<float> values;
    std::vector<double> seeds;
};

class RecordingBackend final : public vlm::WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("recording"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    std::vector<QString> paths;
    std::vector<QImage> pictures;
};

class FakeAutostart final : public vlm::AutostartStore {
public:
    bool SetRunValue(const QString& valueName, const QString& data) override;
    std::vector<std::pair<QString, QString>> writes;
};

// The user's left click on a list's row; with Ctrl it toggles the row's selection.
void clickRow(QAbstractItemView* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The keyboard focus arriving by the Tab key.
void tabInto(QWidget* widget);

// A window with fakes and a private program folder; the settings store is the real INI store
// in that folder. Call load() to run start-up.
class FormFixture {
public:
    explicit FormFixture(const QLocale& locale = QLocale::c(), const QString& arguments = {});
    ~FormFixture();

    vlm::Form1& form() { return *form_; }
    void load() { form_->Form_Load(); }
    // Runs the 100 ms tick once at the fake clock's time.
    void tick() { form_->schedule().Timer1_Timer(); }

    QString programFolder() const { return folder.path() + QStringLiteral("/program"); }
    QString path(const QString& name) const { return folder.path() + u'/' + name; }
    // Writes a picture of one colour and returns its path.
    QString solidPicture(const QString& name, const QColor& colour, QSize size = {64, 48}) const;
    // Writes a collection file with CR LF after each line.
    QString collectionFile(const QString& name, const QStringList& entries) const;

    template <typename T> T* control(const char* name) { return form_->control<T>(name); }
    QString text(const char* name) const;

    QTemporaryDir folder;
    FakeMessageBox messages;
    FakeFileDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    RecordingBackend backend;
    FakeAutostart autostart;
    std::unique_ptr<vlm::IniSettingsStore> settings;
    std::unique_ptr<vlm::PictureLoader> pictures;
    vlm::ProgramFacts facts;

private:
    std::unique_ptr<vlm::Form1> form_;
};

} // namespace vlmtest
