#pragma once

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QValidator>

namespace vlm {

// A label that reports clicks, as link-style labels and the picture boxes need.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// An image control: holds a picture at its full size and shows it stretched to the control
// (or at its own size), with an optional single-line border.
class ImageBox : public ClickableLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

    void setStretch(bool stretch);
    void setBorder(bool border);
    bool hasBorder() const { return frameShape() != QFrame::NoFrame; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshPixmap();

    QImage picture_;
    bool stretch_ = false;
};

// A horizontal or vertical line of one colour.
class LineControl : public QFrame {
    Q_OBJECT
public:
    LineControl(QWidget* parent, const QColor& colour);
};

// Limits what the user may type to a number of characters without truncating text that the
// program sets (a text box's maximum length only restricts typing).
class MaxLengthValidator : public QValidator {
    Q_OBJECT
public:
    MaxLengthValidator(int maxLength, QObject* parent)
        : QValidator(parent), maxLength_(maxLength) {}
    void setMaxLength(int maxLength) { maxLength_ = maxLength; }
    int maxLength() const { return maxLength_; }
    State validate(QString& input, int& position) const override;

private:
    int maxLength_;
};

// Sets a text box's text from the program. Like typing, every assignment runs the box's change
// handling (textChanged), also one that leaves the text as it was: the handler may depend on
// more than the text (the interval's unit, the clock).
void setBoxText(QLineEdit* box, const QString& text);

} // namespace vlm
