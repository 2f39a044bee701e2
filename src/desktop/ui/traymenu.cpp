#include "desktop/ui/traymenu.h"

#include "wallpaper/placement.h"

#include <QActionGroup>
#include <QMenu>

namespace vlm {
namespace {

// The placement modes as radio items, in the order allPlacements() gives them.
QMenu* placementMenu(QMenu* parent, const QString& caption) {
    auto* menu = new QMenu(caption, parent);
    auto* group = new QActionGroup(menu);
    const char* const captions[] = {
        "&Podle prostředí", "&Vyplnit",    "Př&izpůsobit",          "Na &střed",
        "&Dlaždice",        "&Roztáhnout", "Přes všechny &monitory"};
    const QList<Placement> placements = allPlacements();
    for (qsizetype i = 0; i < placements.size(); ++i) {
        QAction* item = menu->addAction(QString::fromUtf8(captions[i]));
        const QString name = placementName(placements[i]);
        item->setObjectName(QStringLiteral("mnuFit_") +
                            (name.isEmpty() ? QStringLiteral("desktop") : name));
        item->setData(name);
        item->setCheckable(true);
        group->addAction(item);
    }
    return menu;
}

} // namespace

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
        {"mnuPlacement", ">&Rozložení obrázku"},
        {"mnuEachMonitor", "Na &každém monitoru jiný obrázek"},
        {"mnuSep003", "-"},
        {"mnuBar_Quit", "&Ukončit aplikaci Velmora"},
    };
    for (const Item& item : items) {
        // A separator is a plain line: with a caption some styles draw the "-" beside it.
        QAction* action = nullptr;
        if (qstrcmp(item.caption, "-") == 0)
            action = menu->addSeparator();
        else if (item.caption[0] == '>')
            action = menu->addMenu(placementMenu(menu, QString::fromUtf8(item.caption + 1)));
        else
            action = menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromUtf8(item.name));
    }
    menu->findChild<QAction*>(QStringLiteral("mnuEachMonitor"))->setCheckable(true);
    return menu;
}

} // namespace vlm
