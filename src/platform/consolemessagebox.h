#pragma once

#include "platform/messagebox.h"

namespace vlm {

// Messages for a run without a display: the text goes to standard output, one line per line
// of the message; a question counts as answered Yes.
class ConsoleMessageBox final : public MessageBox {
public:
    int show(const QString& prompt, int style, const QString& title) override;
};

} // namespace vlm
