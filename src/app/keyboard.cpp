#include "app/keyboard.h"

#include "collection/ui/collectionlist.h"
#include "collection/ui/picker.h"
#include "platform/ui/controlaccess.h"
#include "platform/ui/widgets.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>

namespace vlm {
namespace {

bool takesTabFocus(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisible();
}

} // namespace

KeyboardAccess::KeyboardAccess(QObject* parent, const KeyboardControls& ui,
                               const ControlAccess& access, CollectionList& collection,
                               Picker& picker)
    : QObject(parent), ui_(ui), access_(access), collection_(collection), picker_(picker) {
    ui_.Kolekce->installEventFilter(this);
    ui_.File1->installEventFilter(this);
    ui_.NewOrAdd->installEventFilter(this);
}

bool KeyboardAccess::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.NewOrAdd) {
        if (event->type() == QEvent::Show)
            panelShown();
        else if (event->type() == QEvent::Hide)
            panelHidden();
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    if (watched == ui_.Kolekce)
        return listKey(key->key());
    if (watched == ui_.File1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        picker_.File1_DblClick();
        return true;
    }
    // Keys the panel's controls leave alone reach the panel itself.
    if (watched == ui_.NewOrAdd && key->key() == Qt::Key_Escape) {
        closedByEscape_ = true;
        picker_.Label29_Click();
        closedByEscape_ = false;
        return true;
    }
    return false;
}

bool KeyboardAccess::listKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The entry at the caret is shown, also when it was selected already (a click again).
        if (const int row = ui_.Kolekce->currentIndex().row(); row >= 0)
            collection_.setListIndex(row);
        return true;
    case Qt::Key_Delete:
        if (ui_.Label24->isEnabled())
            Q_EMIT ui_.Label24->clicked();
        return true;
    default:
        return false;
    }
}

Qt::FocusReason KeyboardAccess::moveReason() const {
    // A frame shows where the focus went only when the keyboard moved it.
    return closedByEscape_ || access_.lastRunByKey() ? Qt::ShortcutFocusReason
                                                     : Qt::OtherFocusReason;
}

void KeyboardAccess::panelShown() {
    QWidget* focus = QApplication::focusWidget();
    if (focus && !ui_.NewOrAdd->isAncestorOf(focus) && focus->window() == ui_.NewOrAdd->window())
        opener_ = focus;
    for (QWidget* widget = ui_.NewOrAdd->nextInFocusChain(); widget != ui_.NewOrAdd;
         widget = widget->nextInFocusChain()) {
        if (ui_.NewOrAdd->isAncestorOf(widget) && takesTabFocus(widget)) {
            widget->setFocus(moveReason());
            return;
        }
    }
}

void KeyboardAccess::panelHidden() {
    // Sent before Qt moves the focus off the hidden controls: the opener takes it instead.
    if (!ui_.NewOrAdd->isAncestorOf(QApplication::focusWidget()))
        return;
    if (opener_ && takesTabFocus(opener_))
        opener_->setFocus(moveReason());
}

QWidget* KeyboardAccess::nextInPanel(bool next) const {
    QWidget* focus = QApplication::focusWidget();
    if (!ui_.NewOrAdd->isVisible() || !ui_.NewOrAdd->isAncestorOf(focus))
        return nullptr;
    // Around the focus chain from the focus, keeping to the panel's controls.
    QWidget* widget = focus;
    do {
        widget = next ? widget->nextInFocusChain() : widget->previousInFocusChain();
        if (ui_.NewOrAdd->isAncestorOf(widget) && takesTabFocus(widget))
            return widget;
    } while (widget != focus);
    return nullptr;
}

} // namespace vlm
