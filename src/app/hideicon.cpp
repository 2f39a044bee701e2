#include "app/hideicon.h"

#include "desktop/ui/tray.h"
#include "platform/messagebox.h"
#include "platform/ui/widgets.h"

#include <QEvent>

namespace vlm {

HideIcon::HideIcon(QObject* parent, MessageBox& messages, const Tray& tray, ImageBox* Image9)
    : QObject(parent), messages_(messages), tray_(tray), Image9_(Image9),
      designTip_(Image9->toolTip()) {
    Image9_->installEventFilter(this);
}

QString HideIcon::noTrayTip() {
    return QStringLiteral("okno nelze schovat: plocha nemá oznamovací oblast (systray), ze které "
                          "by šlo okno znovu zobrazit");
}

void HideIcon::refresh() {
    Image9_->setToolTip(tray_.canHideWindow() ? designTip_ : noTrayTip());
}

bool HideIcon::canHide() {
    refresh();
    if (tray_.canHideWindow())
        return true;
    if (!told_) {
        told_ = true;
        messages_.show(messageText({"Okno nelze schovat: plocha nemá oznamovací oblast "
                                    "(systray), ze které by šlo okno znovu zobrazit.",
                                    "Okno proto zůstane otevřené."}),
                       kStyleNotice, QStringLiteral("Velmora"));
    }
    return false;
}

bool HideIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image9_ && event->type() == QEvent::ToolTip)
        refresh();
    return QObject::eventFilter(watched, event);
}

} // namespace vlm
