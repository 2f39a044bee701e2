#include "app/hovereffects.h"

#include "app/form1.h"
#include "common/addbackslash.h"
#include "platform/ui/widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>

namespace vlm {

HoverEffects::HoverEffects(Form1& form)
    : QObject(&form), image9_(form.control<ImageBox>("Image9")),
      image3_(form.control<ImageBox>("Image3")), check1_(form.control<QCheckBox>("Check1")),
      check2_(form.control<QCheckBox>("Check2")), kolekce_(form.control<QListWidget>("Kolekce")),
      favorite_(form.control<QListWidget>("Favorite")),
      souborKolekce_(form.control<QLabel>("SouborKolekce")) {
    for (QWidget* widget : {static_cast<QWidget*>(image9_), static_cast<QWidget*>(image3_),
                            static_cast<QWidget*>(check1_), static_cast<QWidget*>(check2_),
                            static_cast<QWidget*>(souborKolekce_)})
        track(widget);
    track(kolekce_->viewport());
    track(favorite_->viewport());
}

void HoverEffects::track(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool HoverEffects::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove)
        return false;
    if (watched == image9_)
        Image9_MouseMove();
    else if (watched == image3_)
        Image3_MouseMove();
    else if (watched == check1_)
        Check1_MouseMove();
    else if (watched == check2_)
        Check2_MouseMove();
    else if (watched == kolekce_->viewport())
        Kolekce_MouseMove();
    else if (watched == favorite_->viewport())
        Favorite_MouseMove();
    else if (watched == souborKolekce_)
        SouborKolekce_MouseMove();
    return false;
}

void HoverEffects::removeIconBorders() {
    image9_->setBorder(false);
    image3_->setBorder(false);
}

void HoverEffects::Image9_MouseMove() {
    image9_->setBorder(true);
    image3_->setBorder(false);
}

void HoverEffects::Image3_MouseMove() {
    image3_->setBorder(true);
    image9_->setBorder(false);
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
    const QList<QListWidgetItem*> selected = kolekce_->selectedItems();
    kolekce_->setToolTip(selected.isEmpty() ? QString() : selected.first()->text());
}

void HoverEffects::Favorite_MouseMove() {
    const QList<QListWidgetItem*> selected = favorite_->selectedItems();
    favorite_->setToolTip(AddBackslash(selected.isEmpty() ? QString() : selected.first()->text()));
}

void HoverEffects::SouborKolekce_MouseMove() {
    souborKolekce_->setToolTip(souborKolekce_->text());
}

} // namespace vlm
