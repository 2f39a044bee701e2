#pragma once

// Fakes and a window fixture for the collection, picker and favourites tests.

#include "app/form1.h"
#include "app/services.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vlmtest {

// Records every message; answers from the queue, then Yes (questions) or OK.
class PickerFakeMessages final : public vlm::MessageBox {
public:
    struct Shown {
        QString prompt;
        int style;
        QString title;
    };
    int show(const QString& prompt, int style, const QString& title) override {
        shown.push_back({prompt, style, title});
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return style == vlm::kStyleQuestion ? vlm::kAnswerYes : vlm::kAnswerOk;
    }
    std::vector<Shown> shown;
    std::deque<int> answers;
};

// Returns queued choices (nullopt = cancelled, and when the queue is empty) and records requests.
class PickerFakeDialogs final : public vlm::FileDialogs {
public:
    std::optional<QString> open(const vlm::FileDialogRequest& request) override {
        openRequests.push_back(request);
        return next(openResults);
    }
    std::optional<QString> save(const vlm::FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return next(saveResults);
    }
    std::deque<std::optional<QString>> openResults;
    std::deque<std::optional<QString>> saveResults;
    std::vector<vlm::FileDialogRequest> openRequests;
    std::vector<vlm::FileDialogRequest> saveRequests;

private:
    static std::optional<QString> next(std::deque<std::optional<QString>>& queue) {
        if (queue.empty())
            return std::nullopt;
        std::optional<QString> result = queue.front();
        queue.pop_front();
        return result;
    }
};

class PickerFakeSettings final : public vlm::SettingsStore {
public:
    QString read(const QString& key) const override { return values.value(key.toLower()); }
    bool save(const QString& key, const QString& value) override {
        values.insert(key.toLower(), value);
        return true;
    }
    bool deleteAll() override {
        values.clear();
        return true;
    }
    QHash<QString, QString> values;
};

class PickerFakeClock final : public vlm::Clock {
public:
    QDateTime now() const override { return moment; }
    QDateTime moment{QDate(2024, 5, 6), QTime(10, 0, 0)};
};

class PickerFakeRandom final : public vlm::RandomSource {
public:
    void reseed(double) override {}
    float next() override { return 0.0f; }
};

class PickerFakeWallpaper final : public vlm::WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("fake"); }
    void apply(const QString& bitmapPath, const QImage&) override { applied.append(bitmapPath); }
    QStringList applied;
};

class PickerFakeAutostart final : public vlm::AutostartStore {
public:
    bool SetRunValue(const QString&, const QString& data) override {
        value = data;
        return true;
    }
    QString value;
};

// Form1 with fakes; the program's folder is "prog" in a temporary folder, with the
// placeholder picture beside it, and pictures go in "pics".
class CollectionFixture : public ::testing::Test {
protected:
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
                              pictures, facts, QLocale::c()});
            form_ = std::make_unique<vlm::Form1>(*services_);
        }
        return *form_;
    }

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

    PickerFakeMessages messages;
    PickerFakeSettings settings;
    PickerFakeDialogs dialogs;
    PickerFakeClock clock;
    PickerFakeRandom random;
    PickerFakeWallpaper wallpaper;
    PickerFakeAutostart autostart;
    vlm::PictureLoader pictures{QString(), QSize(640, 480)};
    vlm::ProgramFacts facts;

private:
    QTemporaryDir dir_;
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
