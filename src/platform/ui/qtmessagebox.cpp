#include "platform/ui/qtmessagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace vlm {

int QtMessageBox::show(const QString& prompt, int style, const QString& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    box.setText(text);
    switch (style) {
    case kStyleError:
        box.setIcon(QMessageBox::Critical);
        break;
    case kStyleNotice:
        box.setIcon(QMessageBox::Warning);
        break;
    case kStyleInformation:
        box.setIcon(QMessageBox::Information);
        break;
    case kStyleQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (style == kStyleQuestion) {
        box.addButton(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
        box.addButton(QMessageBox::No)->setText(QStringLiteral("&Ne"));
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::No ? kAnswerNo : kAnswerYes;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return kAnswerOk;
}

} // namespace vlm
