#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vlm {

class Form1;

// The controls start-up fills from the stored options.
struct StartupControls {
    QLabel* AktPozice;
    QLabel* verze;
    QCheckBox* Check2; // start hidden
    QLineEdit* Text1;
    QComboBox* Combo1;
    QLabel* PosledniZmena;
    QLabel* DalsiZmena;
};

// The program's start, in its fixed order of steps.
class Startup {
public:
    Startup(Form1& form, const StartupControls& ui) : form_(form), ui_(ui) {}
    void Form_Load();

private:
    bool runUninstallIfAsked();
    void greetFirstStart();
    void reopenCollection();
    void showBeforeReading();
    void finishBesideWindow();
    QString option(const char* key) const;

    Form1& form_;
    const StartupControls ui_;
    bool finishedBesideWindow_ = false;
};

} // namespace vlm
