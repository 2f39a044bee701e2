#pragma once

#include <QObject>
#include <QPointer>

class QComboBox;
class QFocusFrame;
class QWidget;

namespace vlm {

class ClickableLabel;

// How a clickable control presents itself to a screen reader.
enum class CommandRole {
    Link,   // a link-style label
    Button, // a picture that runs a command
};

// Makes the window usable without a mouse and speakable by a screen reader: clickable labels
// and pictures take focus by Tab, show it with a frame, run with Enter or Space and offer a
// "press" action; descriptions follow the tooltips as they change.
class ControlAccess : public QObject {
    Q_OBJECT
public:
    explicit ControlAccess(QObject* parent);

    // The label (or picture) takes focus by Tab and runs its click with Enter or Space.
    void addCommand(ClickableLabel* control, CommandRole role);
    // The control's accessible description is its tooltip, now and whenever the tooltip
    // changes (item views do not fall back to the tooltip themselves).
    void describeByToolTip(QWidget* control);
    // A combo box named by its accessible name: on Linux Qt would name it by its own text, so
    // a reader would speak the value twice and never say what it is for.
    static void nameChoiceBox(QComboBox* combo);

    // The control the focus frame surrounds, if any.
    QWidget* framedControl() const;
    // Whether the command that ran last was run from the keyboard rather than clicked: what it
    // opens or closes then moves the focus with a visible frame.
    bool lastRunByKey() const { return lastRunByKey_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void frame(QWidget* control);

    QPointer<QFocusFrame> focusFrame_;
    bool lastRunByKey_ = false;
};

} // namespace vlm
