#include "desktop/requestqueue.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

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
