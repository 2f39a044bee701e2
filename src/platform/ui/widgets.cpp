#include "platform/ui/widgets.h"

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

void ImageBox::refreshPixmap() {
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

void setBoxText(QLineEdit* box, const QString& text) {
    if (box->text() == text)
        Q_EMIT box->textChanged(text); // QLineEdit reports only a different text
    else
        box->setText(text);
}

} // namespace vlm
