// Opening and saving the largest collection the list holds (budget: under 0.2 s each).

#include "collection/collectionfile.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QStringList largestCollection() {
    QStringList entries;
    entries.reserve(vlm::kMaxCollectionEntries);
    for (int i = 0; i < vlm::kMaxCollectionEntries; ++i)
        entries.append(QStringLiteral("/home/uživatel/Obrázky/dovolená %1/fotografie_%2.jpg")
                           .arg(i / 100)
                           .arg(i));
    return entries;
}

// The list as the window builds it.
std::unique_ptr<QListWidget> collectionList() {
    auto list = std::make_unique<QListWidget>();
    list->setUniformItemSizes(true);
    list->resize(305, 242);
    list->show();
    return list;
}

void BM_OpenCollection(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.vlk"));
    if (!vlm::writeCollectionFile(path, largestCollection())) {
        state.SkipWithError("cannot write the collection");
        return;
    }
    auto list = collectionList();
    for (auto _ : state) {
        list->clear();
        const std::optional<QStringList> lines = vlm::readCollectionFile(path);
        list->addItems(*lines);
        list->setCurrentRow(0);
        QApplication::processEvents(); // the list lays out and paints once
        benchmark::DoNotOptimize(list->count());
    }
    state.counters["entries"] = list->count();
}

void BM_SaveCollection(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.vlk"));
    auto list = collectionList();
    list->addItems(largestCollection());
    for (auto _ : state) {
        // What the save command does: the entries out of the list, then the atomic write.
        QStringList entries;
        entries.reserve(list->count());
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->item(i)->text());
        if (!vlm::writeCollectionFile(path, entries))
            state.SkipWithError("cannot write the collection");
    }
}

BENCHMARK(BM_OpenCollection)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveCollection)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
