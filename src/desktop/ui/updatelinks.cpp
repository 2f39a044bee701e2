#include "desktop/ui/updatelinks.h"

#include "app/form1.h"
#include "desktop/shellopen.h"
#include "desktop/updatecheck.h"
#include "platform/ui/widgets.h"

namespace vlm {

UpdateLinks::UpdateLinks(Form1& form)
    : QObject(&form), form_(form), fetcher_(new UpdateFetcher(this)) {
    connect(form.control<ClickableLabel>("Label3"), &ClickableLabel::clicked, this,
            [this] { Label3_Click(); });
    connect(form.control<ClickableLabel>("Label38"), &ClickableLabel::clicked, this,
            [this] { Label38_Click(); });
    connect(fetcher_, &UpdateFetcher::finished, this, &UpdateLinks::showAnswer);
}

void UpdateLinks::Label3_Click() {
    fetcher_->start(); // a click while a fetch runs is ignored: one answer per question
}

void UpdateLinks::showAnswer(bool answered, const QString& text) {
    MessageBox& messages = form_.services().messages;
    if (answered) // what came is shown, even a reply of blanks
        messages.show(text, kStyleNotice, QStringLiteral("UpdateServer Service"));
    else
        messages.show(QStringLiteral("pripojení se serverem se nezdarilo"), kStyleError,
                      QStringLiteral("chyba serveru nebo klienta služby"));
}

void UpdateLinks::Label38_Click() {
    ShellOpen(productWebPageUrl().toString());
}

} // namespace vlm
