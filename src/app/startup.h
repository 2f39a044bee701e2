#pragma once

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
    QString option(const char* key) const;

    Form1& form_;
};

// The exact command line that removes the program's traces.
inline const QString kUninstallSwitch = QStringLiteral("/uninstall /all /regexp");

// Lines of a message joined by CR.
QString messageText(std::initializer_list<const char*> lines);

} // namespace vlm
