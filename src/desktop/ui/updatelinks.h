#pragma once

#include <QObject>

namespace vlm {

class ClickableLabel;
class MessageBox;
class UpdateFetcher;

struct UpdateLinksControls {
    ClickableLabel* Label3;  // "najít nové verze"
    ClickableLabel* Label38; // the web address
};

// "najít nové verze" shows the update server's news; the web address opens the product page.
class UpdateLinks : public QObject {
    Q_OBJECT
public:
    UpdateLinks(QObject* parent, MessageBox& messages, const UpdateLinksControls& ui);

    // Starts the fetch; the answer is shown when it arrives, the window keeps working.
    void Label3_Click();
    void Label38_Click();

private:
    void showAnswer(bool answered, const QString& text);

    MessageBox& messages_;
    UpdateFetcher* fetcher_;
};

} // namespace vlm
