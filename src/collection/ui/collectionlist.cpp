#include "collection/ui/collectionlist.h"

#include "app/form1.h"
#include "collection/collectionfile.h"
#include "platform/ui/widgets.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSignalBlocker>

namespace vlm {

CollectionList::CollectionList(Form1& form)
    : QObject(&form), services_(form.services()), kolekce_(form.control<QListWidget>("Kolekce")),
      pocet_(form.control<QLabel>("Pocet")), aktPozice_(form.control<QLabel>("AktPozice")),
      label35_(form.control<QLabel>("Label35")),
      souborKolekce_(form.control<QLabel>("SouborKolekce")),
      nahled_(form.control<ImageBox>("Nahled")), changes_(form.control<QCheckBox>("Changes")),
      label24_(form.control<QLabel>("Label24")), label26_(form.control<QLabel>("Label26")) {
    kolekceClick_ = new ListBoxClick(kolekce_);
    connect(kolekceClick_, &ListBoxClick::clicked, this, [this] { Kolekce_Click(); });
}

QImage CollectionList::loadOrPlaceholder(const QString& path) const {
    QImage picture = services_.pictures.load(path);
    if (picture.isNull())
        picture = QImage(services_.facts.placeholderPicturePath());
    return picture; // stays null when even the placeholder is missing
}

void CollectionList::Kolekce_Click() {
    const int index = ListIndex();
    const QString path = index >= 0 ? entry(index) : QString();
    if (path.isEmpty())
        nahled_->setPicture(QImage());
    else
        nahled_->setPicture(loadOrPlaceholder(path));
    aktPozice_->setText(QString::number(index + 1));
    label35_->setText(path);
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
    int counted = pocet_->text().toInt();
    for (qsizetype first = 0; first < accepted.size(); first += kBlock) {
        const QStringList block = accepted.mid(first, kBlock);
        kolekce_->addItems(block);
        counted += int(block.size());
        if (sinceRepaint.elapsed() >= 16) {
            pocet_->setText(QString::number(counted));
            pocet_->repaint();
            sinceRepaint.restart();
        }
    }
    if (!accepted.isEmpty())
        pocet_->setText(QString::number(counted));
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
    kolekce_->addItems(accepted);
    return static_cast<int>(entries.size() - accepted.size());
}

bool CollectionList::WriteCollectionLines(const QString& path, QString* error) {
    return writeCollectionFile(path, entries(), error);
}

int CollectionList::ListCount() const {
    return kolekce_->count();
}

int CollectionList::ListIndex() const {
    return kolekceClick_->selectedRow();
}

void CollectionList::setListIndex(int index) {
    kolekceClick_->select(index);
}

QString CollectionList::entry(int index) const {
    const QListWidgetItem* item = kolekce_->item(index);
    return item ? item->text() : QString();
}

QStringList CollectionList::entries() const {
    QStringList all;
    all.reserve(kolekce_->count());
    for (int i = 0; i < kolekce_->count(); ++i)
        all.append(kolekce_->item(i)->text());
    return all;
}

void CollectionList::clear() {
    // Emptying the list shows no entry: the position and path labels keep their texts. The
    // place kept for an unread file goes with it: a new list has its own.
    unreadIndex_.reset();
    const QSignalBlocker quiet(kolekce_);
    kolekce_->clear();
}

void CollectionList::removeEntry(int index) {
    // Like emptying the list, removing an entry shows nothing: the list is left without a
    // selection (instead of Qt picking a neighbour on its own), so the caller's next selection
    // always shows its entry.
    const QSignalBlocker quiet(kolekce_);
    kolekce_->setCurrentRow(-1);
    delete kolekce_->takeItem(index);
}

bool CollectionList::changed() const {
    return changes_->isChecked();
}

void CollectionList::setChanged(bool changed) {
    changes_->setChecked(changed);
}

QString CollectionList::collectionFile() const {
    return souborKolekce_->text();
}

void CollectionList::setCollectionFile(const QString& path) {
    souborKolekce_->setText(path);
}

void CollectionList::setCount(const QString& text) {
    pocet_->setText(text);
}

void CollectionList::showCount() {
    pocet_->setText(QString::number(ListCount()));
}

void CollectionList::setCommandsEnabled(bool enabled) {
    label24_->setEnabled(enabled);
    label26_->setEnabled(enabled);
}

std::optional<QString> CollectionList::unreadPlace() const {
    if (ListCount() > 0)
        return std::nullopt;
    return unreadIndex_;
}

void CollectionList::showPlaceholder() {
    nahled_->setPicture(QImage(services_.facts.placeholderPicturePath()));
}

void CollectionList::clearPreview() {
    nahled_->setPicture(QImage());
}

} // namespace vlm
