#pragma once

#include <QObject>

namespace vlm {

class Form1;
class UpdateFetcher;

// "najít nové verze" shows the update server's news; the web address opens the product page.
class UpdateLinks : public QObject {
    Q_OBJECT
public:
    explicit UpdateLinks(Form1& form);

    // Starts the fetch; the answer is shown when it arrives, the window keeps working.
    void Label3_Click();
    void Label38_Click();

    UpdateFetcher& fetcher() { return *fetcher_; }

private:
    void showAnswer(bool answered, const QString& text);

    Form1& form_;
    UpdateFetcher* fetcher_;
};

} // namespace vlm
