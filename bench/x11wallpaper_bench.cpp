// One wallpaper change of a 3840x2160 JPEG on a private Xvfb 1920x1080, against
// `xwallpaper --zoom` of the same file in the same run.

#include "wallpaper/backends/x11rootbackend.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>
#include <optional>

namespace {

QString display;
QString jpegPath;

bool waitFinished(vlm::WallpaperBackend& backend) {
    std::optional<bool> result;
    QEventLoop loop;
    backend.setFinishedHandler([&](bool ok) {
        result = ok;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return result.value_or(false);
}

void OurBackendFromMemory(benchmark::State& state) {
    vlm::X11RootBackend backend(display);
    const QImage picture = QImageReader(jpegPath).read();
    for (auto _ : state) {
        backend.apply(jpegPath, picture);
        if (!waitFinished(backend))
            state.SkipWithError("the change failed");
    }
}

void OurBackendDecodingTheFile(benchmark::State& state) {
    vlm::X11RootBackend backend(display);
    for (auto _ : state) {
        backend.apply(jpegPath, QImage());
        if (!waitFinished(backend))
            state.SkipWithError("the change failed");
    }
}

void XwallpaperZoom(benchmark::State& state) {
    const QString xwallpaper = QStandardPaths::findExecutable(QStringLiteral("xwallpaper"));
    if (xwallpaper.isEmpty()) {
        state.SkipWithError("xwallpaper is not installed");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(xwallpaper, {QStringLiteral("--zoom"), jpegPath});
        if (!process.waitForFinished(10000) || process.exitCode() != 0)
            state.SkipWithError("xwallpaper failed");
    }
}

BENCHMARK(OurBackendFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OurBackendDecodingTheFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(XwallpaperZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    // A busy 4K picture, so the JPEG decoder has real work.
    QImage picture(3840, 2160, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb(x * 255 / 3840, y * 255 / 2160, int(random->bounded(256)));
    }
    jpegPath = dir.filePath(QStringLiteral("picture.jpg"));
    picture.save(jpegPath, "JPEG", 90);

    QProcess xvfb;
    const int number = 500 + int(random->bounded(400));
    display = QStringLiteral(":%1").arg(number);
    xvfb.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-screen"), QStringLiteral("0"),
                                        QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"),
                                        QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(5000)) {
        std::fputs("Xvfb is not available\n", stderr);
        return 77;
    }
    for (int i = 0; i < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number));
         ++i)
        QThread::msleep(20);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return 0;
}
