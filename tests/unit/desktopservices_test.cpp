#include "desktop/requestqueue.h"
#include "desktop/shellopen.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

TEST(RequestQueue, RequestsWaitForStartUpAndForTheEndOfAModalLoop) {
    vlm::RequestQueue queue;
    QStringList done;
    const auto note = [&done](const char* what) {
        return [&done, what] { done << QString::fromLatin1(what); };
    };
    // Posted before start-up ends, while start-up's own modal question runs its loop.
    queue.post(note("early"));
    QEventLoop startupQuestion;
    QTimer::singleShot(0, &startupQuestion, &QEventLoop::quit);
    startupQuestion.exec();
    EXPECT_TRUE(done.isEmpty()) << "a request ran during start-up";

    queue.open();
    QEventLoop mainLoop; // the first level
    // The user's own modal question (the quit icon, say) is open when a request comes in.
    QTimer::singleShot(0, &mainLoop, [&] {
        note("question opens")();
        QEventLoop question;
        queue.post(note("posted during the question"));
        QTimer::singleShot(300, &question, [&] {
            note("question answered")();
            question.quit();
        });
        question.exec();
        queue.post([&] { mainLoop.quit(); });
    });
    QTimer::singleShot(10000, &mainLoop, [&mainLoop] { mainLoop.exit(1); });
    ASSERT_EQ(mainLoop.exec(), 0) << "the main loop hung";
    // "early" runs once the main loop turns; the request from the question's time after it.
    ASSERT_EQ(done.size(), 4) << done.join(u',').toStdString();
    done.removeOne(QStringLiteral("early"));
    EXPECT_EQ(done.join(u',').toStdString(),
              "question opens,question answered,posted during the question");
}

// Stands in for the user's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

TEST(ShellOpen, ReportsSuccessAboveThirtyTwoAndKeepsNoState) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    const QString page = QStringLiteral("http://www.velmora.example/aplikace.htm#vlm");
    // A text that is no absolute address is refused and opens nothing.
    for (const QString& target :
         {page, QString(), QStringLiteral("aplikace.htm"), QStringLiteral("http://a b/"), page})
        EXPECT_EQ(vlm::ShellOpen(target) > 32, target == page) << target.toStdString();
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl(page), QUrl(page)}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

} // namespace

#include "desktopservices_test.moc"
