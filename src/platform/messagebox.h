#pragma once

#include <QString>

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

// Modal message boxes; callers of questions test only for kAnswerNo.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual int show(const QString& prompt, int style, const QString& title) = 0;
};

} // namespace vlm
