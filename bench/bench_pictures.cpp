// Picture loading and bitmap saving, the two halves of one wallpaper change.
#include "decoder/decoders.h"
#include "platform/picturesave.h"
#include "platform/picturesource.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QSize kScreen(3840, 2160);

QImage photoLike() {
    QImage image(kScreen, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 255) / image.width(), (y * 255) / image.height(), (x ^ y) & 0xff);
    }
    return image;
}

struct Fixture {
    QTemporaryDir dir;
    QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    QString bitmap = dir.filePath(QStringLiteral("vlmimage.bmp"));
    Fixture() { photoLike().save(jpeg, "jpeg", 90); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The helper's JPEG decoder alone: a 4K photograph whole, and covering a 1920x1080 screen.
void BM_DecodeJpeg4K(benchmark::State& state, QSize box) {
    const QByteArray bytes = readAll(fixture().jpeg);
    for (auto _ : state)
        benchmark::DoNotOptimize(vlm::decoder::decodeJpeg(bytes, {box, true}));
}
BENCHMARK_CAPTURE(BM_DecodeJpeg4K, whole, QSize())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeJpeg4K, cover1080p, QSize(1920, 1080))->Unit(benchmark::kMillisecond);

// A picture through the helper process, as the program asks for it.
QImage decodeInHelper(const QString& helper, const QString& path, QSize box) {
    vlm::HelperPictureSource source(helper);
    const vlm::PictureJobPtr job = source.decode({path, box, true});
    QImage image;
    QEventLoop loop;
    QObject::connect(job.get(), &vlm::PictureJob::finished, &loop,
                     [&](const vlm::DecodedPicture& picture) {
                         image = picture.image;
                         loop.quit();
                     });
    loop.exec();
    return image;
}

void BM_SaveBitmap4K(benchmark::State& state) {
    const QImage image = vlm::decoder::decodeJpeg(readAll(fixture().jpeg), {});
    for (auto _ : state)
        benchmark::DoNotOptimize(vlm::saveWindowsBitmap(image, fixture().bitmap));
}
BENCHMARK(BM_SaveBitmap4K)->Unit(benchmark::kMillisecond);

// A metafile rendered for a 4K screen by the helper process: VLM_DECODE_HELPER and
// VLM_SHARED_TESTDATA name the helper and the sample folder.
void BM_RenderMetafile4K(benchmark::State& state, const char* sample) {
    const QString helper = qEnvironmentVariable("VLM_DECODE_HELPER");
    const QString path = qEnvironmentVariable("VLM_SHARED_TESTDATA") +
                         QLatin1String("/metafiles/") + QLatin1String(sample);
    if (helper.isEmpty() || !QFile::exists(path)) {
        state.SkipWithError("set VLM_DECODE_HELPER and VLM_SHARED_TESTDATA");
        return;
    }
    for (auto _ : state) {
        const QImage image = decodeInHelper(helper, path, kScreen);
        if (image.isNull())
            state.SkipWithError("the metafile did not render");
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK_CAPTURE(BM_RenderMetafile4K, wmf, "wmf/burger.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderMetafile4K, emf, "emf/test-018.emf")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
