#pragma once

#include <QObject>

class QCheckBox;
class QLabel;
class QListWidget;

namespace vlm {

class EntryList;
class ImageBox;

// Every control whose mouse moves have an effect.
struct HoverEffectsControls {
    ImageBox* Image9;
    ImageBox* Image3;
    QCheckBox* Check1;
    QCheckBox* Check2;
    EntryList* Kolekce;
    QListWidget* Favorite;
    QLabel* SouborKolekce;
};

// The mouse-move effects: borders on the two corner icons and tooltips that show the
// selected entry. Each fires on every move over its control.
class HoverEffects : public QObject {
    Q_OBJECT
public:
    HoverEffects(QObject* parent, const HoverEffectsControls& ui);

    void Image9_MouseMove();
    void Image3_MouseMove();
    void Form_MouseMove();
    void Check1_MouseMove();
    void Check2_MouseMove();
    void Kolekce_MouseMove();
    void Favorite_MouseMove();
    void SouborKolekce_MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void removeIconBorders();
    void track(QWidget* widget);

    const HoverEffectsControls ui_;
};

} // namespace vlm
