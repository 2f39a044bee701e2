// Quitting and closing: the questions, and what is stored when.
#include "app/quit.h"
#include "collection/ui/commands.h"
#include "desktop/ui/tray.h"
#include "support/fakes.h"
#include "wallpaper/ui/wallpaperchange.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A shown window with a two-picture collection and the interval set to 15 sekund.
struct Loaded : vlmtest::FormFixture {
    Loaded() {
        rememberPictures({Qt::red, Qt::blue});
        store({u"index=1"_s, u"hide=0"_s}); // start-up applies 1.bmp and wraps to 0.bmp
        load();
        form().show(); // as the program does after a start that does not hide
        control<QLineEdit>("Text1")->setText(u"15"_s);
        control<QComboBox>("Combo1")->setEditText(u"sekund"_s);
    }
};

} // namespace

TEST(Quit, NoAtEitherQuestionKeepsEverythingYesStoresThePlaceAndTheInterval) {
    Loaded f;
    f.form().collection().setChanged(true);
    f.messages.answers = {vlm::kAnswerNo};
    f.form().quit().Image3_Click();
    EXPECT_TRUE(f.lastMessage(1, vlm::kStyleQuestion, u"Chcete přesto aplikaci ukončit?"_s));
    EXPECT_EQ(f.stored("cas"), QString());
    EXPECT_TRUE(f.form().isVisible());

    f.messages.answers = {vlm::kAnswerYes, vlm::kAnswerNo};
    f.form().quit().Image3_Click();
    EXPECT_TRUE(f.lastMessage(3, vlm::kStyleQuestion, u"Opravdu chcete ukončit činost aplikace?"_s,
                              u"Konec aplikace"_s));
    EXPECT_EQ(f.stored("cas"), QString());
    EXPECT_TRUE(f.form().isVisible());

    f.form().collection().setChanged(false);
    f.form().collection().setListIndex(-1);
    f.form().quit().mnuBar_Quit_Click();
    ASSERT_EQ(f.messages.shown.size(), 4u); // no unsaved changes: only the second question
    // NextCh is written as such and read in any case.
    EXPECT_EQ(
        f.stored({"index", "cas", "jednotky", "start", "nextCh", "lastCh"}),
        (QStringList{u"-1"_s, u"15"_s, u"sekund"_s, u"1"_s, f.text("DalsiZmena"), u"10:00:00"_s}));
    EXPECT_FALSE(f.form().isVisible());
    EXPECT_FALSE(f.form().tray().isShown());
}

TEST(Quit, ClosingOrASessionSaveStoresTheValuesOfThatMomentWithoutQuestions) {
    Loaded f;
    f.form().quit().Form_QueryUnload(); // a session save that does not end the session
    EXPECT_EQ(f.stored("cas"), u"15"_s);
    f.control<QLineEdit>("Text1")->setText(u"20"_s);
    f.form().close();
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_EQ(f.stored({"cas", "index"}), (QStringList{u"20"_s, u"0"_s}));
}

TEST(Quit, OptionsThatCannotBeStoredAreLoggedWhileTheWindowGoesOn) {
    Loaded f;
    vlmtest::LoggedMessages log("vlm.settings");
    // A file where the settings folder belongs: no option can be stored from now on.
    const QString settingsFolder = QFileInfo(f.settings.filePath()).absolutePath();
    ASSERT_TRUE(QDir(settingsFolder).removeRecursively());
    vlmtest::writeBytes(settingsFolder, {});

    f.form().change().Zmenit_Click();

    f.settle();
    f.form().change().Zmenit_Click();
    f.settle();
    f.form().quit().mnuBar_Quit_Click();
    EXPECT_FALSE(f.form().isVisible());
    EXPECT_EQ(f.messages.shown.size(), 1u) << "only the question to quit";
    // Each lost option is named once, however often it failed.
    const QStringList keys = {u"lastfile"_s, u"index"_s, u"lastCh"_s,  u"NextCh"_s,
                              u"start"_s,    u"cas"_s,   u"jednotky"_s};
    ASSERT_EQ(log.messages.size(), keys.size()) << log.messages.join(u'\n').toStdString();
    for (qsizetype i = 0; i < keys.size(); ++i)
        EXPECT_TRUE(log.messages[i].contains(u'"' + keys[i] + u'"'))
            << log.messages[i].toStdString();
}

TEST(Quit, AnUnreadCollectionsPlaceIsNotStoredForAnotherCollection) {
    for (const bool openEmptyFile : {false, true}) {
        vlmtest::FormFixture f;
        f.store({u"lastfile="_s + f.path(u"gone.vlk"_s), u"index=7"_s});
        f.load();
        if (openEmptyFile) {
            f.dialogs.openResults = {f.collectionFile(u"empty.vlk"_s, {})};
            f.form().commands().Label22_Click();
        } else {
            f.form().commands().Label21_Click();
        }
        f.form().quit().storeOptions();
        EXPECT_EQ(f.stored("index"), u"-1"_s) << openEmptyFile;
    }
}
