#include "platform/ui/widgets.h"

#include <QCollator>
#include <QListWidget>
#include <QMouseEvent>

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
    picture_ = picture;
    refreshPixmap();
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

ListBoxClick::ListBoxClick(QListWidget* list) : QObject(list), list_(list) {
    connect(list, &QListWidget::itemSelectionChanged, this, [this] {
        ++selectionChanges_;
        Q_EMIT clicked();
    });
    // A click that left the selection as it was (the entry was selected already) still counts.
    connect(list, &QListWidget::itemClicked, this, [this](const QListWidgetItem* item) {
        if (selectionChanges_ == changesBeforePress_ && item->isSelected())
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
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void ListBoxClick::select(int row) {
    const quint64 before = selectionChanges_;
    list_->setCurrentRow(row); // a single-selection list selects its current row
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

void setBoxText(QLineEdit* box, const QString& text) {
    if (box->text() == text)
        Q_EMIT box->textChanged(text); // QLineEdit reports only a different text
    else
        box->setText(text);
}

} // namespace vlm
