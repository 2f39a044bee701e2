#include "platform/ui/widgets.h"

#include <QCollator>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>

namespace vlm {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

ImageBox::ImageBox(QWidget* parent) : ClickableLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBorder(false);
}

void ImageBox::setPicture(const QImage& picture) {
    pending_ = nullptr;
    setBusy(false);
    picture_ = picture;
    refreshPixmap();
}

void ImageBox::setPictureWhenSeen(std::function<void()> request) {
    pending_ = nullptr;
    if (!isVisible()) {
        // Nothing is under way until the box shows: a request it replaced is not awaited.
        setBusy(false);
        pending_ = std::move(request);
        return;
    }
    setBusy(true);
    request();
}

void ImageBox::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    showWork();
}

void ImageBox::setWorking(bool working) {
    if (working == working_)
        return;
    working_ = working;
    showWork();
}

void ImageBox::showWork() {
    if (busy_ || working_)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    update();
}

QSize ImageBox::sharpPictureSize() const {
    return (contentsRect().size() * (2 * devicePixelRatioF())).expandedTo(QSize(1, 1));
}

void ImageBox::setStretch(bool stretch) {
    stretch_ = stretch;
    refreshPixmap();
}

void ImageBox::setBorder(bool border) {
    setFrameShape(border ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
}

void ImageBox::resizeEvent(QResizeEvent* event) {
    ClickableLabel::resizeEvent(event);
    refreshPixmap();
}

void ImageBox::showEvent(QShowEvent* event) {
    ClickableLabel::showEvent(event);
    if (pixmapStale_)
        refreshPixmap();
    if (pending_)
        setBusy(true); // the request goes out once the box is painted
}

void ImageBox::paintEvent(QPaintEvent* event) {
    ClickableLabel::paintEvent(event);
    if (pending_) {
        // After the first paint, so that a window on its way to the screen does not share the
        // processor with a decoder starting for it.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (pending_ && isVisible())
                    std::exchange(pending_, nullptr)();
            },
            Qt::QueuedConnection);
    }
    if (!busy_ && !working_)
        return;
    // Work under way: the picture in place is veiled until the new one arrives.
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor(255, 255, 255, 128));
}

void ImageBox::refreshPixmap() {
    // A hidden box (the window in the tray) scales nothing until it is shown again.
    pixmapStale_ = !isVisible();
    if (pixmapStale_)
        return;
    if (picture_.isNull()) {
        clear();
        return;
    }
    // Scale once here rather than at every paint: pictures may be 8K.
    const QImage shown = stretch_ ? picture_.scaled(contentsRect().size(), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation)
                                  : picture_;
    setPixmap(QPixmap::fromImage(shown));
}

LineControl::LineControl(QWidget* parent, const QColor& colour) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
}

QValidator::State MaxLengthValidator::validate(QString& input, int& position) const {
    Q_UNUSED(position);
    return input.size() <= maxLength_ ? Acceptable : Invalid;
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return entries_.at(index.row());
    return {};
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void EntryListModel::append(const QStringList& texts) {
    if (texts.isEmpty())
        return;
    const int first = int(entries_.size());
    beginInsertRows(QModelIndex(), first, first + int(texts.size()) - 1);
    entries_.append(texts);
    endInsertRows();
}

void EntryListModel::remove(int row) {
    if (row < 0 || row >= entries_.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.removeAt(row);
    endRemoveRows();
}

void EntryListModel::clear() {
    beginResetModel();
    entries_.clear();
    entries_.squeeze();
    endResetModel();
}

EntryList::EntryList(QWidget* parent) : QListView(parent), model_(new EntryListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // keeps 32,767 entries fast
}

int EntryList::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void EntryList::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

ListBoxClick::ListBoxClick(QAbstractItemView* list) : QObject(list), list_(list) {
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (list_->signalsBlocked())
            return;
        ++selectionChanges_;
        Q_EMIT clicked();
    });
    // A click that left the selection as it was (the entry was selected already) still counts.
    connect(list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (selectionChanges_ == changesBeforePress_ && list_->selectionModel()->isSelected(index))
            Q_EMIT clicked();
    });
    list->viewport()->installEventFilter(this);
}

bool ListBoxClick::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        changesBeforePress_ = selectionChanges_;
    return QObject::eventFilter(watched, event);
}

int ListBoxClick::selectedRow() const {
    const QModelIndexList selected = list_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBoxClick::select(int row) {
    const quint64 before = selectionChanges_;
    // A single-selection list selects its current row; no row clears the selection.
    list_->selectionModel()->setCurrentIndex(list_->model()->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect);
    if (selectionChanges_ == before)
        Q_EMIT clicked();
}

void addSorted(QListWidget* list, const QString& text, const QCollator& collator) {
    int low = 0;
    int high = list->count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (collator.compare(text, list->item(middle)->text()) < 0)
            high = middle;
        else
            low = middle + 1;
    }
    list->insertItem(low, text);
}

void setComboText(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    combo->setEditText(text);
}

void setBoxText(QLineEdit* box, const QString& text) {
    if (box->text() == text)
        Q_EMIT box->textChanged(text); // QLineEdit reports only a different text
    else
        box->setText(text);
}

} // namespace vlm
