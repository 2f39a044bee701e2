#include "platform/ui/controlaccess.h"

#include "platform/ui/widgets.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QFocusEvent>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QLineEdit>

namespace vlm {
namespace {

// Which interface the factory below gives a widget.
const char* const kAccessKind = "vlmAccessKind";
enum AccessKind { kLinkCommand = 1, kButtonCommand, kNamedChoice };

// A clickable label or picture: a link or a button whose "press" action is its click.
class AccessibleCommand final : public QAccessibleWidget {
public:
    AccessibleCommand(ClickableLabel* label, QAccessible::Role role)
        : QAccessibleWidget(label, role) {}

    QString text(QAccessible::Text t) const override {
        // Named by its own caption: the default would take a surrounding frame's caption.
        if (t == QAccessible::Name)
            return widget()->accessibleName().isEmpty() ? label()->text()
                                                        : widget()->accessibleName();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled())
            Q_EMIT label()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction())
            return {QStringLiteral("Return"), QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    ClickableLabel* label() const { return static_cast<ClickableLabel*>(widget()); }
};

// A combo box named by its accessible name, its text as the value.
class AccessibleChoiceBox final : public QAccessibleWidget {
public:
    explicit AccessibleChoiceBox(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return {showMenuAction(), pressAction(), setFocusAction()};
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* controlAccessFactory(const QString&, QObject* object) {
    const int kind = object ? object->property(kAccessKind).toInt() : 0;
    switch (kind) {
    case kLinkCommand:
    case kButtonCommand:
        if (auto* label = qobject_cast<ClickableLabel*>(object))
            return new AccessibleCommand(label, kind == kLinkCommand ? QAccessible::Link
                                                                     : QAccessible::Button);
        break;
    case kNamedChoice:
        if (auto* combo = qobject_cast<QComboBox*>(object))
            return new AccessibleChoiceBox(combo);
        break;
    default:
        break;
    }
    return nullptr;
}

void installFactoryOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(controlAccessFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

// Gives the object the interface the factory makes for kind. Qt made one already when the
// widget got its text (its accessibility events create it): that one is dropped.
void setAccessKind(QObject* object, AccessKind kind) {
    installFactoryOnce();
    object->setProperty(kAccessKind, kind);
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

bool isActivationKey(const QKeyEvent* key) {
    if (key->isAutoRepeat() || (key->modifiers() & ~Qt::KeypadModifier))
        return false;
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
           key->key() == Qt::Key_Space;
}

// Focus that the user moved with the keyboard; a click or the window's activation draws no
// frame, as a link clicked in a browser shows none.
bool byKeyboard(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

} // namespace

ControlAccess::ControlAccess(QObject* parent) : QObject(parent) {
    installFactoryOnce();
}

void ControlAccess::addCommand(ClickableLabel* control, CommandRole role) {
    setAccessKind(control, role == CommandRole::Link ? kLinkCommand : kButtonCommand);
    // Tab only: a click runs the command and leaves the focus where it was.
    control->setFocusPolicy(Qt::TabFocus);
    control->installEventFilter(this);
}

void ControlAccess::describeByToolTip(QWidget* control) {
    control->setAccessibleDescription(control->toolTip());
    control->installEventFilter(this);
}

void ControlAccess::nameChoiceBox(QComboBox* combo) {
    setAccessKind(combo, kNamedChoice);
}

QWidget* ControlAccess::framedControl() const {
    return focusFrame_ ? focusFrame_->widget() : nullptr;
}

void ControlAccess::frame(QWidget* control) {
    if (!focusFrame_ && control) {
        focusFrame_ = new QFocusFrame(control);
        // The window's highlight colour, so the frame is seen on white, yellow and pictures.
        QPalette palette = focusFrame_->palette();
        palette.setBrush(QPalette::WindowText, palette.brush(QPalette::Highlight));
        focusFrame_->setPalette(palette);
    }
    if (focusFrame_)
        focusFrame_->setWidget(control);
}

bool ControlAccess::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::ToolTipChange:
        if (widget)
            widget->setAccessibleDescription(widget->toolTip());
        break;
    case QEvent::KeyPress:
        if (auto* label = qobject_cast<ClickableLabel*>(watched);
            label && label->isEnabled() && isActivationKey(static_cast<QKeyEvent*>(event))) {
            lastRunByKey_ = true;
            Q_EMIT label->clicked();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
        lastRunByKey_ = false;
        break;
    case QEvent::FocusIn:
        if (byKeyboard(static_cast<QFocusEvent*>(event)->reason()))
            frame(widget);
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            framedControl() == widget)
            frame(nullptr);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vlm
