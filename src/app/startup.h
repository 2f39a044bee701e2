#pragma once

#include "desktop/commandline.h"

#include <QString>

namespace vlm {

class Form1;

// The program's start, in its fixed order of steps.
class Startup {
public:
    explicit Startup(Form1& form) : form_(form) {}
    void Form_Load();

private:
    bool runUninstallIfAsked();
    void greetFirstStart();
    void reopenCollection();
    void showBeforeReading();
    QString option(const char* key) const;

    Form1& form_;
};

// Lines of a message joined by CR.
QString messageText(std::initializer_list<const char*> lines);

} // namespace vlm
