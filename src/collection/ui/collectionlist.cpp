#include "collection/ui/collectionlist.h"

#include "collection/collectionfile.h"
#include "platform/ui/widgets.h"
#include "services/services.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QSignalBlocker>

namespace vlm {

CollectionList::CollectionList(QObject* parent, const Services& services,
                               const CollectionListControls& ui)
    : QObject(parent), services_(services), ui_(ui) {
    kolekceClick_ = new ListBoxClick(ui_.Kolekce);
    connect(kolekceClick_, &ListBoxClick::clicked, this, [this] { Kolekce_Click(); });
}

void CollectionList::requestPreview(const QString& path) {
    // Only a picture of the preview's size stays in memory between changes; a change decodes
    // its own.
    previewJob_ = services_.pictures.decode(
        {path, ui_.Nahled->sharpPictureSize(), false, wallpaperCoverSize(services_)});
    connect(previewJob_.get(), &PictureJob::finished, this, [this](const DecodedPicture& shown) {
        previewJob_.reset();
        setPreviewProblem(shown.problem);
        ui_.Nahled->setPicture(shown.image.isNull() ? placeholder() : shown.image);
        Q_EMIT previewShown();
    });
}

void CollectionList::setPreviewProblem(PictureProblem problem) {
    // The tooltip keeps its own line; a second says why the entry shows the placeholder.
    previewProblem_ = problem;
    const QString own = ui_.Nahled->toolTip().section(u'\n', 0, 0);
    ui_.Nahled->setToolTip(problem == PictureProblem::None
                               ? own
                               : own + QStringLiteral("\nnelze zobrazit: ") + problemText(problem));
}

QImage CollectionList::placeholder() const {
    return shippedPicture(services_.facts.placeholderPicturePath(), ui_.Nahled->sharpPictureSize());
}

void CollectionList::Kolekce_Click() {
    const int index = ListIndex();
    const QString path = index >= 0 ? entry(index) : QString();
    previewJob_.reset();
    setPreviewProblem(PictureProblem::None);
    if (path.isEmpty())
        ui_.Nahled->setPicture(QImage());
    else
        ui_.Nahled->setPictureWhenSeen([this, path] { requestPreview(path); });
    ui_.AktPozice->setText(QString::number(index + 1));
    ui_.Label35->setText(path);
}

bool CollectionList::ReadCollectionLines(const QString& path, bool countInPocet) {
    const std::optional<QStringList> lines = readCollectionFile(path);
    if (!lines)
        return false;
    const int leftOut = countInPocet ? addCounting(*lines) : addEntries(*lines);
    if (leftOut > 0)
        reportLeftOut(lines->size(), leftOut, QStringLiteral("Velmora"));
    return true;
}

int CollectionList::addCounting(const QStringList& lines) {
    // The count grows as the lines arrive; the entries go in by blocks, which the list takes in
    // at once, and the label is repainted at most once a frame.
    constexpr qsizetype kBlock = 1024;
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const int room = qMax(0, kMaxCollectionEntries - ListCount());
    const QStringList accepted = lines.mid(0, room);
    int counted = ui_.Pocet->text().toInt();
    for (qsizetype first = 0; first < accepted.size(); first += kBlock) {
        const QStringList block = accepted.mid(first, kBlock);
        ui_.Kolekce->addItems(block);
        counted += int(block.size());
        if (sinceRepaint.elapsed() >= 16) {
            ui_.Pocet->setText(QString::number(counted));
            ui_.Pocet->repaint();
            sinceRepaint.restart();
        }
    }
    if (!accepted.isEmpty())
        ui_.Pocet->setText(QString::number(counted));
    return static_cast<int>(lines.size() - accepted.size());
}

void CollectionList::reportLeftOut(qsizetype lineCount, int leftOut, const QString& title) const {
    services_.messages.show(
        QStringLiteral("Soubor obsahuje %1 záznamů, kolekce jich pojme nejvýše %2.")
                .arg(lineCount)
                .arg(kMaxCollectionEntries) +
            kMessageLineBreak +
            QStringLiteral("Posledních %1 záznamů nebylo načteno. Uložíte-li kolekci do "
                           "stejného souboru, budou v něm chybět.")
                .arg(leftOut),
        kStyleNotice, title);
}

int CollectionList::addEntries(const QStringList& entries) {
    const int room = qMax(0, kMaxCollectionEntries - ListCount());
    const QStringList accepted = entries.mid(0, room);
    ui_.Kolekce->addItems(accepted);
    return static_cast<int>(entries.size() - accepted.size());
}

bool CollectionList::WriteCollectionLines(const QString& path, QString* error) {
    return writeCollectionFile(path, entries(), error);
}

int CollectionList::ListCount() const {
    return ui_.Kolekce->count();
}

int CollectionList::ListIndex() const {
    return kolekceClick_->selectedRow();
}

void CollectionList::setListIndex(int index) {
    kolekceClick_->select(index);
}

QString CollectionList::entry(int index) const {
    return ui_.Kolekce->text(index);
}

QStringList CollectionList::entries() const {
    return ui_.Kolekce->entries();
}

void CollectionList::clear() {
    // Emptying the list shows no entry: the position and path labels keep their texts. The
    // place kept for an unread file goes with it: a new list has its own.
    unreadIndex_.reset();
    {
        const QSignalBlocker quiet(ui_.Kolekce);
        ui_.Kolekce->clear();
    }
    Q_EMIT cleared();
}

void CollectionList::removeEntry(int index) {
    // Like emptying the list, removing an entry shows nothing: the list is left without a
    // selection (instead of Qt picking a neighbour on its own), so the caller's next selection
    // always shows its entry.
    const QSignalBlocker quiet(ui_.Kolekce);
    ui_.Kolekce->setCurrentRow(-1);
    ui_.Kolekce->removeRow(index);
}

bool CollectionList::changed() const {
    return ui_.Changes->isChecked();
}

void CollectionList::setChanged(bool changed) {
    ui_.Changes->setChecked(changed);
}

QString CollectionList::collectionFile() const {
    return ui_.SouborKolekce->text();
}

void CollectionList::setCollectionFile(const QString& path) {
    ui_.SouborKolekce->setText(path);
    Q_EMIT collectionFileChanged();
}

void CollectionList::setCount(const QString& text) {
    ui_.Pocet->setText(text);
}

void CollectionList::showCount() {
    ui_.Pocet->setText(QString::number(ListCount()));
}

void CollectionList::setCommandsEnabled(bool enabled) {
    ui_.Label24->setEnabled(enabled);
    ui_.Label26->setEnabled(enabled);
}

std::optional<QString> CollectionList::unreadPlace() const {
    if (ListCount() > 0)
        return std::nullopt;
    return unreadIndex_;
}

void CollectionList::showPlaceholder() {
    previewJob_.reset();
    setPreviewProblem(PictureProblem::None);
    ui_.Nahled->setPicture(placeholder());
}

void CollectionList::clearPreview() {
    previewJob_.reset();
    setPreviewProblem(PictureProblem::None);
    ui_.Nahled->setPicture(QImage());
}

} // namespace vlm
