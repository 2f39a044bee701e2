#include "desktop/ui/traymenu.h"

#include <QMenu>

namespace vlm {

QMenu* createTrayMenu(QWidget* parent) {
    auto* menu = new QMenu(QStringLiteral("trayMENU"), parent);
    menu->setObjectName(QStringLiteral("mnuTray"));
    struct Item {
        const char* name;
        const char* caption;
    };
    const Item items[] = {
        {"mnuNastaveni", "&Zobrazit nastavení"},
        {"mnuChangeNow", "Z&měnit tapetu ihned"},
        {"mnuPrevious", "&Předchozí tapeta"},
        {"mnuPause", "Pozastavit &střídání"},
        {"mnuSep001", "-"},
        {"mnuZmenaTap", "změna tapety za XX:XX:XX"},
        {"mnuSep002", "-"},
        {"mnuBar_Quit", "&Ukončit aplikaci Velmora"},
    };
    for (const Item& item : items) {
        // A separator is a plain line: with a caption some styles draw the "-" beside it.
        QAction* action = qstrcmp(item.caption, "-") == 0
                              ? menu->addSeparator()
                              : menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromUtf8(item.name));
    }
    return menu;
}

} // namespace vlm
