#pragma once

#include <QObject>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vlm {

class CollectionList;
class Form1;
class ImageBox;
class Tray;
struct Services;

// The quit commands and the controls whose values are stored at quit.
struct QuitControls {
    ImageBox* Image3;
    QAction* mnuBar_Quit;
    QLabel* PosledniZmena;
    QLabel* DalsiZmena;
    QCheckBox* Check1;
    QLineEdit* Text1;
    QComboBox* Combo1;
};

// Quitting: the questions, storing the place and the interval, removing the tray icon.
class Quit : public QObject {
    Q_OBJECT
public:
    // The window is shown, closed and asked whether the uninstall mode ran.
    Quit(Form1& window, Services& services, const QuitControls& ui,
         const CollectionList& collection, Tray& tray);

    void Image3_Click();
    void mnuBar_Quit_Click() { Image3_Click(); }

    // A quit asked for from outside (the session bus, "vlm --quit"): without questions when
    // nothing is unsaved; otherwise the window comes forward and asks as the quit icon does.
    void quitRequested();

    // Any other close (the title bar, logging off): no questions, but the options are stored
    // so the interval and the place are not lost. Not after the uninstall mode.
    void Form_QueryUnload();

    // Stores lastfile, index, lastCh, NextCh, start, cas and jednotky; a value the store
    // refuses does not stop the others. Nothing before start-up has ended.
    void storeOptions();

private:
    void finish();

    Form1& window_;
    Services& services_;
    const QuitControls ui_;
    const CollectionList& collection_;
    Tray& tray_;
};

} // namespace vlm
