// The window as built from its control table, the tray menu and the hover effects.
#include "app/controltable.h"
#include "app/hovereffects.h"
#include "platform/ui/widgets.h"
#include "support/fakes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <gtest/gtest.h>

using vlmtest::FormFixture;

namespace {

void moveMouseOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

TEST(Window, EveryControlExistsWhereTheTableSaysAtTheScreensDpi) {
    FormFixture f;
    const double dpi = vlm::screenDpi();
    EXPECT_EQ(f.form().size(), QSize(vlm::twipsToPixels(8040, dpi), vlm::twipsToPixels(7710, dpi)));
    EXPECT_EQ(f.form().windowTitle(), QStringLiteral("Velmora"));
    EXPECT_FALSE(f.form().windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    for (const vlm::ControlSpec& spec : vlm::form1Controls()) {
        const QWidget* widget = f.form().findChild<QWidget*>(QString::fromLatin1(spec.name));
        ASSERT_NE(widget, nullptr) << spec.name;
        const QWidget* parent = spec.parent
                                    ? f.form().findChild<QWidget*>(QString::fromLatin1(spec.parent))
                                    : &f.form();
        EXPECT_EQ(widget->parentWidget(), parent) << spec.name;
        EXPECT_EQ(widget->pos(),
                  QPoint(vlm::twipsToPixels(spec.left, dpi), vlm::twipsToPixels(spec.top, dpi)))
            << spec.name;
        EXPECT_EQ(widget->isHidden(), (spec.flags & vlm::kHidden) != 0) << spec.name;
        EXPECT_EQ(widget->isEnabled(), (spec.flags & vlm::kDisabled) == 0) << spec.name;
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(spec.tooltip)) << spec.name;
    }
    EXPECT_EQ(f.control<QLabel>("Label1")->font().pointSizeF(), 20.25);
    EXPECT_TRUE(f.control<QLabel>("Label1")->font().bold());
    EXPECT_EQ(f.control<QLabel>("Label1")->palette().color(QPalette::WindowText),
              QColor(0, 128, 0));
    EXPECT_EQ(f.control<QLabel>("Label24")->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(255, 0, 0));
    // The two links disabled at start are drawn in the disabled text colour, not as links.
    const QColor disabledText = f.form().palette().color(QPalette::Disabled, QPalette::WindowText);
    for (const char* name : {"Label24", "Label26"})
        EXPECT_EQ(
            f.control<QLabel>(name)->palette().color(QPalette::Disabled, QPalette::WindowText),
            disabledText)
            << name;
    EXPECT_EQ(f.form().font().family(), QStringLiteral("Comic Sans MS"));
    auto* combo = f.control<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("sekund"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("hodin"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("minut"));
    EXPECT_TRUE(f.control<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(f.control<QCheckBox>("Check3")->isChecked());
    EXPECT_EQ(f.control<QGroupBox>("Frame1")->title(), QStringLiteral("nastavení aplikace"));
    EXPECT_EQ(f.control<QListWidget>("File1")->selectionMode(),
              QAbstractItemView::ExtendedSelection);
}

TEST(Window, TrayMenuItemsInOrderAndTheCountdownLineDoesNothing) {
    FormFixture f;
    const QList<QAction*> actions = f.form().mnuTray()->actions();
    QStringList names;
    for (const QAction* action : actions) // a separator is a bare line, without a caption
        names.append(action->isSeparator() ? QStringLiteral("line") + action->text()
                                           : action->text());
    EXPECT_EQ(
        names,
        (QStringList{QStringLiteral("&Zobrazit nastavení"), QStringLiteral("Z&měnit tapetu ihned"),
                     QStringLiteral("line"), QStringLiteral("změna tapety za XX:XX:XX"),
                     QStringLiteral("line"), QStringLiteral("&Ukončit aplikaci Velmora")}));
    f.form().menuItem("mnuZmenaTap")->trigger();
    EXPECT_TRUE(f.backend.paths.empty());
    EXPECT_TRUE(f.messages.shown.empty());
    f.form().menuItem("mnuChangeNow")->trigger();
    EXPECT_EQ(f.backend.paths.size(), 1u);
}

TEST(Window, HoverBordersAndTooltips) {
    FormFixture f;
    auto* image9 = f.control<vlm::ImageBox>("Image9");
    auto* image3 = f.control<vlm::ImageBox>("Image3");
    moveMouseOver(image9);
    EXPECT_TRUE(image9->hasBorder());
    EXPECT_FALSE(image3->hasBorder());
    moveMouseOver(f.control<QLabel>("Label37")); // a label: the border stays
    EXPECT_TRUE(image9->hasBorder());
    moveMouseOver(image3);
    EXPECT_TRUE(image3->hasBorder());
    EXPECT_FALSE(image9->hasBorder());
    moveMouseOver(f.control<QCheckBox>("Check2"));
    EXPECT_FALSE(image3->hasBorder());

    auto* kolekce = f.control<vlm::EntryList>("Kolekce");
    moveMouseOver(kolekce->viewport());
    EXPECT_EQ(kolekce->toolTip(), QString());
    f.form().collection().addEntries({QStringLiteral("/p/a.jpg")});
    f.form().collection().setListIndex(0);
    moveMouseOver(kolekce->viewport());
    EXPECT_EQ(kolekce->toolTip(), QStringLiteral("/p/a.jpg"));

    auto* favorite = f.control<QListWidget>("Favorite");
    moveMouseOver(favorite->viewport());
    EXPECT_EQ(favorite->toolTip(), QStringLiteral("/"));
    favorite->addItem(QStringLiteral("/photos"));
    favorite->setCurrentRow(0);
    moveMouseOver(favorite->viewport());
    EXPECT_EQ(favorite->toolTip(), QStringLiteral("/photos/"));

    auto* file = f.control<QLabel>("SouborKolekce");
    file->setText(QStringLiteral("/home/u/moje.vlk"));
    moveMouseOver(file);
    EXPECT_EQ(file->toolTip(), QStringLiteral("/home/u/moje.vlk"));
}

TEST(Window, AutostartFollowsTheStartOption) {
    FormFixture f;
    f.load();
    f.autostart.writes.clear();
    f.control<QCheckBox>("Check1")->setChecked(false);
    EXPECT_EQ(f.settings->read(QStringLiteral("start")), QStringLiteral("0"));
    ASSERT_EQ(f.autostart.writes.size(), 1u);
    EXPECT_EQ(f.autostart.writes[0], std::make_pair(QStringLiteral("Velmora"), QString()));
    f.control<QCheckBox>("Check1")->setChecked(true);
    EXPECT_EQ(f.settings->read(QStringLiteral("start")), QStringLiteral("1"));
    EXPECT_EQ(f.autostart.writes.back().second, f.programFolder() + QStringLiteral("/vlm"));
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
