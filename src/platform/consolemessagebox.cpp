#include "platform/consolemessagebox.h"

#include <QTextStream>

namespace vlm {

int ConsoleMessageBox::show(const QString& prompt, int style, const QString& title) {
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(kMessageLineBreak, u'\n');
    QTextStream out(stdout);
    out << title << ":\n" << text << '\n';
    out.flush();
    return style == kStyleQuestion ? kAnswerYes : kAnswerOk;
}

} // namespace vlm
