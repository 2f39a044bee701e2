#pragma once

#include <QObject>
#include <QPointer>

class QFrame;
class QListWidget;
class QWidget;

namespace vlm {

class ClickableLabel;
class CollectionList;
class ControlAccess;
class EntryList;
class Picker;

// The controls whose keys do more than Qt's own.
struct KeyboardControls {
    EntryList* Kolekce;
    ClickableLabel* Label24; // delete the selected entry
    QFrame* NewOrAdd;        // the picker panel
    QListWidget* File1;
};

// The keys of the collection list and the picker panel: Enter shows the entry at the caret,
// Delete deletes the selected entry as "smazat vybraný záznam" does, Enter in the file list
// adds the file as a double-click does, Escape closes the panel as "Storno" does. While the
// panel shows, it holds the focus: Tab walks its controls, and closing it gives the focus back
// to the command that opened it.
class KeyboardAccess : public QObject {
    Q_OBJECT
public:
    KeyboardAccess(QObject* parent, const KeyboardControls& ui, const ControlAccess& access,
                   CollectionList& collection, Picker& picker);

    // The next (or previous) control for Tab while the panel holds the focus; null otherwise,
    // and the window's own order applies.
    QWidget* nextInPanel(bool next) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listKey(int key);
    void panelShown();
    void panelHidden();
    Qt::FocusReason moveReason() const;

    const KeyboardControls ui_;
    const ControlAccess& access_;
    CollectionList& collection_;
    Picker& picker_;
    QPointer<QWidget> opener_; // had the focus when the panel opened
    bool closedByEscape_ = false;
};

} // namespace vlm
