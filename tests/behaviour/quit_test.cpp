// Quitting and closing: the questions, what is stored, and the update check's answers.
#include "app/hovereffects.h"
#include "app/quit.h"
#include "collection/ui/commands.h"
#include "desktop/statusnotifier.h"
#include "desktop/ui/tray.h"
#include "desktop/ui/updatelinks.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using vlmtest::FormFixture;

namespace {

struct Loaded : FormFixture {
    Loaded() {
        settings->save(QStringLiteral("lastfile"),
                       collectionFile(QStringLiteral("c.vlk"),
                                      {solidPicture(QStringLiteral("a.bmp"), Qt::red),
                                       solidPicture(QStringLiteral("b.bmp"), Qt::blue)}));
        settings->save(QStringLiteral("hide"), QStringLiteral("0"));
        load();
        form().show(); // as the program does after a start that does not hide
        control<QLineEdit>("Text1")->setText(QStringLiteral("15"));
        control<QComboBox>("Combo1")->setEditText(QStringLiteral("sekund"));
    }
    QString stored(const char* key) { return settings->read(QString::fromLatin1(key)); }
};

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

} // namespace

TEST(Quit, AnsweringNoAtEitherQuestionKeepsEverything) {
    Loaded f;
    f.form().collection().setChanged(true);
    f.messages.answers = {vlm::kAnswerNo};
    f.form().quit().Image3_Click();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("Upozornění"));
    EXPECT_EQ(f.messages.shown[0].prompt.count(u'\r'), 2);
    EXPECT_EQ(f.stored("cas"), QString());
    EXPECT_TRUE(f.form().isVisible());

    f.messages.answers = {vlm::kAnswerYes, vlm::kAnswerNo};
    f.form().quit().Image3_Click();
    ASSERT_EQ(f.messages.shown.size(), 3u);
    EXPECT_EQ(f.messages.shown[2].prompt,
              QStringLiteral("Opravdu chcete ukončit činost aplikace?"));
    EXPECT_EQ(f.messages.shown[2].title, QStringLiteral("Konec aplikace"));
    EXPECT_EQ(f.stored("cas"), QString());
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_TRUE(f.form().tray().isShown() || !f.form().isHidden());
}

TEST(Quit, ConfirmedQuitStoresThePlaceAndTheInterval) {
    Loaded f;
    f.form().collection().setListIndex(-1);
    f.form().quit().mnuBar_Quit_Click();
    ASSERT_EQ(f.messages.shown.size(), 1u); // no unsaved changes: only the second question
    EXPECT_EQ(f.stored("index"), QStringLiteral("-1"));
    EXPECT_EQ(f.stored("cas"), QStringLiteral("15"));
    EXPECT_EQ(f.stored("jednotky"), QStringLiteral("sekund"));
    EXPECT_EQ(f.stored("start"), QStringLiteral("1"));
    EXPECT_EQ(f.stored("nextCh"), f.text("DalsiZmena")); // written as NextCh, read in any case
    EXPECT_EQ(f.stored("lastCh"), QStringLiteral("10:00:00"));
    EXPECT_FALSE(f.form().isVisible());
    EXPECT_FALSE(f.form().tray().isShown());
}

TEST(Quit, OptionsThatCannotBeStoredAreLoggedWhileTheWindowGoesOn) {
    Loaded f;
    vlmtest::LoggedMessages log("vlm.settings");
    // A file where the settings folder belongs: no option can be stored from now on.
    ASSERT_TRUE(QDir(QFileInfo(f.settings->filePath()).absolutePath()).removeRecursively());
    vlmtest::writeBytes(QFileInfo(f.settings->filePath()).absolutePath(), {});

    f.form().change().Zmenit_Click();
    f.form().change().Zmenit_Click();
    f.form().quit().mnuBar_Quit_Click();
    EXPECT_FALSE(f.form().isVisible());
    EXPECT_EQ(f.messages.shown.size(), 1u) << "only the question to quit";
    // Each lost option is named once, however often it failed.
    const QStringList keys = {QStringLiteral("lastfile"), QStringLiteral("index"),
                              QStringLiteral("lastCh"),   QStringLiteral("NextCh"),
                              QStringLiteral("start"),    QStringLiteral("cas"),
                              QStringLiteral("jednotky")};
    ASSERT_EQ(log.messages.size(), keys.size()) << log.messages.join(u'\n').toStdString();
    for (qsizetype i = 0; i < keys.size(); ++i)
        EXPECT_TRUE(log.messages[i].contains(u'"' + keys[i] + u'"'))
            << log.messages[i].toStdString();
}

TEST(Quit, ClosingThroughTheTitleBarStoresWithoutQuestions) {
    Loaded f;
    f.form().close();
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.stored("cas"), QStringLiteral("15"));
    EXPECT_EQ(f.stored("index"), QStringLiteral("0"));
}

TEST(Quit, EverySessionSaveAndQuitStoresTheValuesOfThatMoment) {
    Loaded f;
    f.form().quit().Form_QueryUnload(); // a session save that does not end the session
    EXPECT_EQ(f.stored("cas"), QStringLiteral("15"));
    f.control<QLineEdit>("Text1")->setText(QStringLiteral("20"));
    f.form().quit().Image3_Click();
    EXPECT_EQ(f.stored("cas"), QStringLiteral("20"));
}

TEST(Quit, AnUnreadCollectionsPlaceIsNotStoredForAnotherCollection) {
    for (const bool openEmptyFile : {false, true}) {
        FormFixture f;
        f.settings->save(QStringLiteral("lastfile"), f.path(QStringLiteral("gone.vlk")));
        f.settings->save(QStringLiteral("index"), QStringLiteral("7"));
        f.load();
        if (openEmptyFile) {
            f.dialogs.openResults = {f.collectionFile(QStringLiteral("empty.vlk"), {})};
            f.form().commands().Label22_Click();
        } else {
            f.form().commands().Label21_Click();
        }
        f.form().quit().storeOptions();
        EXPECT_EQ(f.settings->read(QStringLiteral("index")), QStringLiteral("-1")) << openEmptyFile;
    }
}

TEST(Quit, UninstallLeavesNoOptionsBehindWhenTheWindowCloses) {
    FormFixture f(QLocale::c(), QStringLiteral("/uninstall /all /regexp"));
    // A session save while the uninstall message is open must not write the store again.
    f.messages.whileShown = [&f] { f.form().quit().Form_QueryUnload(); };
    f.load();
    f.form().close();
    EXPECT_FALSE(QFileInfo::exists(f.settings->filePath()));
}

TEST(Quit, HideOptionAndRandomOptionOnlyStoreTheirState) {
    Loaded f;
    f.control<QCheckBox>("Check2")->setChecked(false);
    EXPECT_EQ(f.stored("hide"), QStringLiteral("0"));
    EXPECT_TRUE(f.form().isVisible());
    f.form().Image9_Click();
    EXPECT_FALSE(f.form().isVisible()); // hidden to the tray
    f.form().mnuNastaveni_Click();
    EXPECT_TRUE(f.form().isVisible());
}

TEST(UpdateCheck, ShowsTheServersTextOrTheFailure) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 24\r\nConnection: close\r\n\r\n"
                          "Nova verze 2.1\r\nje venku");
            socket->disconnectFromHost();
        });
    });
    qputenv("VLM_UPDATE_URL",
            QStringLiteral("http://127.0.0.1:%1/s.msg").arg(server.serverPort()).toUtf8());
    Loaded f;
    f.messages.shown.clear();
    f.form().links().Label3_Click();
    ASSERT_TRUE(waitFor([&] { return !f.messages.shown.empty(); }));
    EXPECT_EQ(f.messages.shown[0].prompt, QStringLiteral("Nova verze 2.1\rje venku"));
    EXPECT_EQ(f.messages.shown[0].style, vlm::kStyleNotice);
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("UpdateServer Service"));

    server.close(); // refused from now on
    f.messages.shown.clear();
    f.form().links().Label3_Click();
    ASSERT_TRUE(waitFor([&] { return !f.messages.shown.empty(); }));
    EXPECT_EQ(f.messages.shown[0].prompt, QStringLiteral("pripojení se serverem se nezdarilo"));
    EXPECT_EQ(f.messages.shown[0].style, vlm::kStyleError);
    EXPECT_EQ(f.messages.shown[0].title, QStringLiteral("chyba serveru nebo klienta služby"));
    qunsetenv("VLM_UPDATE_URL");
}

TEST(Tray, OnlyADoubleClickShowsTheWindowAndEveryNotificationClearsTheBorders) {
    Loaded f;
    auto* icon = f.form().findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Velmora (aktivní)"));
    EXPECT_EQ(icon->contextMenu(), f.form().mnuTray());
    auto* image9 = f.control<vlm::ImageBox>("Image9");
    f.form().hover().Image9_MouseMove(); // the pointer was on Image9 when it was clicked
    f.form().Image9_Click();
    ASSERT_FALSE(f.form().isVisible());
    QList<QSystemTrayIcon::ActivationReason> reasons = {
        QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown};
    // On a StatusNotifier host a Trigger shows the window (end-to-end test statusnotifier.sh).
    if (!vlm::statusNotifierHostRegistered())
        reasons.append(QSystemTrayIcon::Trigger);
    for (const auto reason : reasons) {
        f.form().hover().Image9_MouseMove();
        Q_EMIT icon->activated(reason);
        EXPECT_FALSE(image9->hasBorder()) << reason;
        EXPECT_FALSE(f.form().isVisible()) << reason;
    }
    f.form().hover().Image9_MouseMove();
    Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(f.form().isVisible());
    EXPECT_FALSE(image9->hasBorder()) << "the window comes back unframed";
}
