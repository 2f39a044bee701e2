#include "app/hovereffects.h"

#include "common/addbackslash.h"
#include "platform/ui/widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>

namespace vlm {

HoverEffects::HoverEffects(QObject* parent, const HoverEffectsControls& ui)
    : QObject(parent), ui_(ui) {
    for (QWidget* widget : {static_cast<QWidget*>(ui_.Image9), static_cast<QWidget*>(ui_.Image3),
                            static_cast<QWidget*>(ui_.Check1), static_cast<QWidget*>(ui_.Check2),
                            static_cast<QWidget*>(ui_.SouborKolekce)})
        track(widget);
    track(ui_.Kolekce->viewport());
    track(ui_.Favorite->viewport());
}

void HoverEffects::track(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool HoverEffects::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove)
        return false;
    if (watched == ui_.Image9)
        Image9_MouseMove();
    else if (watched == ui_.Image3)
        Image3_MouseMove();
    else if (watched == ui_.Check1)
        Check1_MouseMove();
    else if (watched == ui_.Check2)
        Check2_MouseMove();
    else if (watched == ui_.Kolekce->viewport())
        Kolekce_MouseMove();
    else if (watched == ui_.Favorite->viewport())
        Favorite_MouseMove();
    else if (watched == ui_.SouborKolekce)
        SouborKolekce_MouseMove();
    return false;
}

void HoverEffects::removeIconBorders() {
    ui_.Image9->setBorder(false);
    ui_.Image3->setBorder(false);
}

void HoverEffects::Image9_MouseMove() {
    ui_.Image9->setBorder(true);
    ui_.Image3->setBorder(false);
}

void HoverEffects::Image3_MouseMove() {
    ui_.Image3->setBorder(true);
    ui_.Image9->setBorder(false);
}

void HoverEffects::Form_MouseMove() {
    removeIconBorders();
}

void HoverEffects::Check1_MouseMove() {
    removeIconBorders();
}

void HoverEffects::Check2_MouseMove() {
    removeIconBorders();
}

void HoverEffects::Kolekce_MouseMove() {
    const int selected = ui_.Kolekce->selectedRow();
    ui_.Kolekce->setToolTip(selected < 0 ? QString() : ui_.Kolekce->text(selected));
}

void HoverEffects::Favorite_MouseMove() {
    const QList<QListWidgetItem*> selected = ui_.Favorite->selectedItems();
    ui_.Favorite->setToolTip(
        AddBackslash(selected.isEmpty() ? QString() : selected.first()->text()));
}

void HoverEffects::SouborKolekce_MouseMove() {
    ui_.SouborKolekce->setToolTip(ui_.SouborKolekce->text());
}

} // namespace vlm
