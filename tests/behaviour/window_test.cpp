// The looks the code gives the window, the tray icon and menu, the hover effects and the links.
#include "app/hovereffects.h"
#include "desktop/statusnotifier.h"
#include "desktop/ui/updatelinks.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

static void moveMouseOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// The looks the code gives the controls beyond the table's geometry and texts.
TEST(Window, TheControlsFontsSelectionAndRoomAsTheCodeGivesThem) {
    FormFixture f;
    EXPECT_TRUE(f.control<QLabel>("Label1")->font().bold()); // the title's own font
    // The two links disabled at start are drawn in the disabled text colour, not as links.
    const QColor disabledText = f.form().palette().color(QPalette::Disabled, QPalette::WindowText);
    for (const char* name : {"Label24", "Label26"}) {
        const QLabel* link = f.control<QLabel>(name);
        EXPECT_FALSE(link->isEnabled()) << name;
        EXPECT_EQ(link->palette().color(QPalette::Disabled, QPalette::WindowText), disabledText);
    }
    EXPECT_EQ(f.control<QListWidget>("File1")->selectionMode(),
              QAbstractItemView::ExtendedSelection);
    // The largest count and position a collection can have show whole, not clipped.
    for (const char* name : {"Pocet", "AktPozice"}) {
        auto* label = f.control<QLabel>(name);
        label->setText(u"32767"_s);
        EXPECT_LE(label->sizeHint().width(), label->contentsRect().width()) << name;
    }
}

TEST(Window, ADarkDesktopThemeLeavesTheWindowLightAndTheMenuDark) {
    const QPalette desktop = QApplication::palette();
    const QPalette dark(QColor(60, 60, 60), QColor(40, 40, 40)); // near-white texts
    QApplication::setPalette(dark);
    FormFixture f;
    for (const char* name : {"Label16", "Label13", "Frame1", "Check1", "Text1", "Combo1"}) {
        const QPalette used = f.control<QWidget>(name)->palette();
        EXPECT_EQ(used.color(QPalette::WindowText), QColor(Qt::black)) << name;
        EXPECT_EQ(used.color(QPalette::Text), QColor(Qt::black)) << name;
        EXPECT_EQ(used.color(QPalette::Base), QColor(Qt::white)) << name;
    }
    EXPECT_EQ(f.form().palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(f.form().mnuTray()->palette().color(QPalette::Window), dark.color(QPalette::Window));
    QApplication::setPalette(desktop);
}
TEST(Window, APreviewChangedWhileHiddenShowsWhenTheWindowDoes) {
    QWidget window;
    auto* box = new vlm::ImageBox(&window);
    box->setStretch(true);
    box->resize(40, 30);
    for (const QColor colour : {QColor(Qt::red), QColor(Qt::blue)}) {
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(colour);
        window.hide();
        box->setPicture(picture);
        window.show();
        ASSERT_EQ(box->pixmap().size(), QSize(40, 30));
        EXPECT_EQ(box->pixmap().toImage().pixelColor(20, 15), colour);
    }
}
TEST(Window, TheTrayMenusCountdownLineDoesNothingAndChangeNowChanges) {
    FormFixture f;
    f.form().menuItem("mnuZmenaTap")->trigger();
    EXPECT_TRUE(f.backend.paths.empty());
    EXPECT_TRUE(f.messages.shown.empty());
    f.form().collection().addEntries({f.solidPicture(u"a.bmp"_s)});
    f.form().collection().setListIndex(0);
    f.form().menuItem("mnuChangeNow")->trigger();
    f.settle();
    EXPECT_EQ(f.backend.paths.size(), 1u);
}

TEST(Window, TheOptionBoxesHidingToTheTrayAndOnlyADoubleClickOnTheIconBringsItBack) {
    FormFixture f;
    f.store("hide", u"0"_s);
    f.load();
    f.form().show(); // as the program does after a start that does not hide
    f.control<QCheckBox>("Check2")->setChecked(true);
    EXPECT_EQ(f.stored("hide"), u"1"_s);
    f.control<QCheckBox>("Check2")->setChecked(false);
    EXPECT_EQ(f.stored("hide"), u"0"_s);
    EXPECT_TRUE(f.form().isVisible()) << "the option only takes effect at the next start";
    // The start option, unlike it, writes or clears the autostart entry at once.
    f.autostart.writes.clear();
    f.control<QCheckBox>("Check1")->setChecked(false);
    EXPECT_EQ(f.stored("start"), u"0"_s);
    f.control<QCheckBox>("Check1")->setChecked(true);
    EXPECT_EQ(f.stored("start"), u"1"_s);
    EXPECT_EQ(f.autostart.writes,
              (decltype(f.autostart.writes){{u"Velmora"_s, QString()},
                                            {u"Velmora"_s, f.programFolder() + u"/vlm"_s}}));

    auto* icon = f.form().findChild<QSystemTrayIcon*>(u"trayIcon"_s);
    ASSERT_NE(icon, nullptr);
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

TEST(Window, HoverBordersAndTooltips) {
    FormFixture f;
    auto* image9 = f.control<vlm::ImageBox>("Image9");
    auto* image3 = f.control<vlm::ImageBox>("Image3");
    // Where the pointer goes and whether the two icons are framed then: a label keeps them.
    const std::tuple<const char*, bool, bool> moves[] = {{"Image9", true, false},
                                                         {"Label37", true, false},
                                                         {"Image3", false, true},
                                                         {"Check2", false, false}};
    for (const auto& [name, nine, three] : moves) {
        moveMouseOver(f.control<QWidget>(name));
        EXPECT_EQ(image9->hasBorder(), nine) << name;
        EXPECT_EQ(image3->hasBorder(), three) << name;
    }

    auto* kolekce = f.control<vlm::EntryList>("Kolekce");
    f.form().collection().addEntries({u"/p/a.jpg"_s});
    f.form().collection().setListIndex(0);
    moveMouseOver(kolekce->viewport());
    EXPECT_EQ(kolekce->toolTip(), u"/p/a.jpg"_s);

    auto* favorite = f.control<QListWidget>("Favorite");
    favorite->addItem(u"/photos"_s);
    favorite->setCurrentRow(0);
    moveMouseOver(favorite->viewport());
    EXPECT_EQ(favorite->toolTip(), u"/photos/"_s);
}

// The fetch itself is tested on its own; here, what the window shows of its two outcomes.
TEST(Window, TheUpdateLinkShowsTheServersTextOrTheFailure) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 14\r\nConnection: close\r\n\r\n"
                          "Nova verze 2.1");
            socket->disconnectFromHost();
        });
    });
    qputenv("VLM_UPDATE_URL", u"http://127.0.0.1:%1/s.msg"_s.arg(server.serverPort()).toUtf8());
    FormFixture f;
    const auto answer = [&f] { // the deadline only catches a hang
        f.messages.shown.clear();
        f.form().links().Label3_Click();
        for (QDeadlineTimer hang(30000); f.messages.shown.empty() && !hang.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    answer();
    EXPECT_TRUE(
        f.lastMessage(1, vlm::kStyleNotice, u"Nova verze 2.1"_s, u"UpdateServer Service"_s));
    server.close(); // refused from now on
    answer();
    qunsetenv("VLM_UPDATE_URL");
    EXPECT_TRUE(f.lastMessage(1, vlm::kStyleError, u"pripojení se serverem se nezdarilo"_s,
                              u"chyba serveru nebo klienta služby"_s));
}
