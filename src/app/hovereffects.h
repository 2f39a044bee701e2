#pragma once

#include <QObject>

class QCheckBox;
class QLabel;
class QListWidget;

namespace vlm {

class Form1;
class ImageBox;

// The mouse-move effects: borders on the two corner icons and tooltips that show the
// selected entry. Each fires on every move over its control.
class HoverEffects : public QObject {
    Q_OBJECT
public:
    explicit HoverEffects(Form1& form);

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

    ImageBox* image9_;
    ImageBox* image3_;
    QCheckBox* check1_;
    QCheckBox* check2_;
    QListWidget* kolekce_;
    QListWidget* favorite_;
    QLabel* souborKolekce_;
};

} // namespace vlm
