#pragma once

// A window fixture for the collection, picker and favourites tests, built on first use so
// a test can change the program facts first; and a scratch tmpfs for full-disk cases.

#include "app/form1.h"
#include "services/services.h"
#include "support/fakes.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vlmtest {

// Form1 with fakes; the program's folder is "prog" in a temporary folder, with the
// placeholder picture beside it, and pictures go in "pics".
class CollectionFixture : public ::testing::Test {
protected:
    QTemporaryDir dir_; // first, so the stores below can live in it

    CollectionFixture() {
        QDir(root()).mkpath(QStringLiteral("prog"));
        QDir(root()).mkpath(QStringLiteral("pics"));
        QImage placeholder(4, 4, QImage::Format_RGB32);
        placeholder.fill(Qt::gray);
        placeholder.save(progFolder() + QStringLiteral("/noimage.jpg"));
    }

    // Builds the window; tests may change facts first.
    vlm::Form1& form() {
        if (!form_) {
            facts.executableFolder = progFolder();
            if (facts.writableFolder.isEmpty())
                facts.writableFolder = progFolder();
            services_ = std::make_unique<vlm::Services>(
                vlm::Services{messages, settings, dialogs, clock, random, wallpaper, autostart,
                              pictures, facts, locale, [] { return true; }, volumeUsable});
            form_ = std::make_unique<vlm::Form1>(*services_);
        }
        return *form_;
    }

    bool (*volumeUsable)(const QString& root) = nullptr; // null: the real volumes
    QString root() const { return dir_.path(); }
    QString progFolder() const { return root() + QStringLiteral("/prog"); }
    QString picsFolder() const { return root() + QStringLiteral("/pics"); }

    // A real picture file of the given format (by its suffix).
    static void writePicture(const QString& path, QColor colour = Qt::red) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(colour);
        const QByteArray format = QFileInfo(path).suffix().toLower() == u"jpg" ? "JPG" : "BMP";
        ASSERT_TRUE(image.save(path, format.constData())) << path.toStdString();
    }

    template <typename T> T* control(const char* name) { return form().control<T>(name); }

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

    FakeMessageBox messages;
    vlm::IniSettingsStore settings{dir_.path() + QStringLiteral("/config/vlm.ini")};
    FakeFileDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    RecordingBackend wallpaper;
    FakeAutostart autostart;
    vlm::PictureLoader pictures{QString(), QSize(640, 480)};
    vlm::ProgramFacts facts;
    QLocale locale = QLocale::c();

private:
    std::unique_ptr<vlm::Services> services_;
    std::unique_ptr<vlm::Form1> form_;
};

// A small tmpfs mounted for the test (needs root); unmounted at the end.
class ScratchMount {
public:
    explicit ScratchMount(const QString& folder, const QString& size) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = run({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                        QStringLiteral("size=") + size, QStringLiteral("tmpfs"), folder});
    }
    ~ScratchMount() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() {
        return run({QStringLiteral("-o"), QStringLiteral("remount,ro"), folder_});
    }

private:
    static bool run(const QStringList& arguments) {
        QProcess mount;
        mount.start(QStringLiteral("mount"), arguments);
        return mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
               mount.exitCode() == 0;
    }
    QString folder_;
    bool mounted_ = false;
};

} // namespace vlmtest
