#include "desktop/requestqueue.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs a main event loop (the first level) until quit is called or the deadline, which only
// catches a hang, passes.
void runMainLoop(QEventLoop& loop) {
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0) << "the main loop hung";
}

} // namespace

TEST(RequestQueue, RequestsWaitForStartUpAndForTheEndOfAModalLoop) {
    vlm::RequestQueue queue;
    QStringList done;
    QEventLoop mainLoop;

    // Posted before start-up ends, while start-up's own modal question runs its loop.
    queue.post([&] { done << QStringLiteral("early"); });
    QEventLoop startupQuestion;
    QTimer::singleShot(0, &startupQuestion, [&] { startupQuestion.quit(); });
    startupQuestion.exec();
    EXPECT_TRUE(done.isEmpty()) << "a request ran during start-up";

    queue.open();
    // The user's own modal question (the quit icon, say) is open when a request comes in.
    QTimer::singleShot(0, &mainLoop, [&] {
        done << QStringLiteral("question opens");
        QEventLoop question;
        queue.post([&] { done << QStringLiteral("posted during the question"); });
        QTimer::singleShot(300, &question, [&] {
            done << QStringLiteral("question answered");
            question.quit();
        });
        question.exec();
        queue.post([&] {
            done << QStringLiteral("last");
            mainLoop.quit();
        });
    });
    runMainLoop(mainLoop);
    // "early" runs once the main loop turns; the request from the question's time after it.
    ASSERT_EQ(done.size(), 5) << done.join(u',').toStdString();
    done.removeOne(QStringLiteral("early"));
    EXPECT_EQ(done.join(u',').toStdString(),
              "question opens,question answered,posted during the question,last");
}
