#pragma once

#include <QObject>
#include <QString>

namespace vlm {

class ImageBox;
class MessageBox;
class Tray;

// The hide icon Image9. Hiding needs a tray to bring the window back; where the desktop has
// none, the icon's tooltip (and so what a screen reader describes) says why it cannot hide,
// and the first click that cannot hide says so in a message.
class HideIcon : public QObject {
    Q_OBJECT
public:
    HideIcon(QObject* parent, MessageBox& messages, const Tray& tray, ImageBox* Image9);

    // Whether the window may hide now; when it may not, the user is told (once).
    bool canHide();
    // The tooltip for the tray as it is now (one may appear or go while the program runs).
    void refresh();

    static QString noTrayTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MessageBox& messages_;
    const Tray& tray_;
    ImageBox* Image9_;
    const QString designTip_;
    bool told_ = false;
};

} // namespace vlm
