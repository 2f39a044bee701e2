#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace vlm {

// Message styles by their classic numbers: buttons plus icon.
enum MessageStyle : int {
    kStyleError = 16,       // OK, stop icon
    kStyleQuestion = 36,    // Yes and No, question icon
    kStyleNotice = 48,      // OK, exclamation icon
    kStyleInformation = 64, // OK, information icon
};

enum MessageAnswer : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

// Lines of a message are joined by a single CR.
inline constexpr QChar kMessageLineBreak = u'\r';

// Lines of a message (UTF-8) joined by CR.
inline QString messageText(std::initializer_list<const char*> lines) {
    QStringList texts;
    for (const char* line : lines)
        texts.append(QString::fromUtf8(line));
    return texts.join(kMessageLineBreak);
}

// Modal message boxes; callers of questions test only for kAnswerNo.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual int show(const QString& prompt, int style, const QString& title) = 0;
};

} // namespace vlm
