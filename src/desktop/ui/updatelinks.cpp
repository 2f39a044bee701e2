#include "desktop/ui/updatelinks.h"

#include "desktop/shellopen.h"
#include "desktop/updatecheck.h"
#include "platform/messagebox.h"
#include "platform/ui/widgets.h"

namespace vlm {

UpdateLinks::UpdateLinks(QObject* parent, MessageBox& messages, const UpdateLinksControls& ui)
    : QObject(parent), messages_(messages), fetcher_(new UpdateFetcher(this)) {
    connect(ui.Label3, &ClickableLabel::clicked, this, [this] { Label3_Click(); });
    connect(ui.Label38, &ClickableLabel::clicked, this, [this] { Label38_Click(); });
    connect(fetcher_, &UpdateFetcher::finished, this, &UpdateLinks::showAnswer);
}

void UpdateLinks::Label3_Click() {
    fetcher_->start(); // a click while a fetch runs is ignored: one answer per question
}

void UpdateLinks::showAnswer(bool answered, const QString& text) {
    if (answered) // what came is shown, even a reply of blanks
        messages_.show(text, kStyleNotice, QStringLiteral("UpdateServer Service"));
    else
        messages_.show(QStringLiteral("pripojení se serverem se nezdarilo"), kStyleError,
                       QStringLiteral("chyba serveru nebo klienta služby"));
}

void UpdateLinks::Label38_Click() {
    ShellOpen(productWebPageUrl().toString());
}

} // namespace vlm
