#include "desktop/commandline.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(CommandLine, EachArgumentListGivesItsRequestAndAnUnknownOptionIsNamed) {
    using enum vlm::LaunchRequest;
    // The uninstall switch as three words or as one, exactly; near misses start normally. Qt's
    // own options, with their values, belong to Qt.
    const struct {
        QStringList arguments;
        vlm::LaunchRequest expected;
    } cases[] = {{{}, Run},
                 {{u"--change-now"_s}, ChangeNow},
                 {{u"--show"_s}, Show},
                 {{u"--quit"_s}, Quit},
                 {{u"--next"_s, u"--change-now"_s}, ChangeNow},
                 {{u"--previous"_s}, Previous},
                 {{u"--pause"_s}, Pause},
                 {{u"--resume"_s}, Resume},
                 {{u"--toggle-pause"_s}, TogglePause},
                 {{u"--pause"_s, u"--resume"_s}, Usage},
                 {{u"--help"_s}, Help},
                 {{u"--version"_s}, Version},
                 {{u"--change-now"_s, u"--help"_s}, Help},
                 {{u"--show"_s, u"--show"_s}, Show},
                 {{u"/uninstall"_s, u"/all"_s, u"/regexp"_s}, Uninstall},
                 {{u"/uninstall /all /regexp"_s}, Uninstall},
                 {{u"/UNINSTALL"_s, u"/ALL"_s, u"/REGEXP"_s}, Run},
                 {{u"-platform"_s, u"xcb"_s, u"/uninstall /all /regexp"_s}, Run},
                 {{u"--quit"_s, u"/uninstall"_s, u"/all"_s, u"/regexp"_s}, Quit},
                 {{u"-platform"_s, u"offscreen"_s, u"--show"_s}, Show},
                 {{u"--style=fusion"_s, u"-reverse"_s, u"-session"_s, u"abc"_s}, Run},
                 {{u"--bogus"_s}, Usage},
                 {{u"--change-now=1"_s}, Usage},
                 {{u"-reverse=1"_s}, Usage},
                 {{u"--show"_s, u"--quit"_s}, Usage},
                 {{u"--help"_s, u"--bogus"_s}, Usage}};
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(vlm::parseCommandLine(arguments).request, expected)
            << arguments.join(u' ').toStdString();
    const QString problem = vlm::parseCommandLine({u"--show"_s, u"--colour"_s}).problem;
    EXPECT_TRUE(problem.contains(u"--colour"_s)) << problem.toStdString();

    // The placement options take a value, beside a request or alone; a bad one is named.
    const vlm::CommandLine both =
        vlm::parseCommandLine({u"--fit"_s, u"Span"_s, u"--monitors=each"_s, u"--next"_s});
    EXPECT_EQ(both.request, ChangeNow);
    EXPECT_EQ(both.fit.value_or(u"-"_s) + both.monitors.value_or(u"-"_s), u"spaneach"_s);
    EXPECT_EQ(vlm::parseCommandLine({u"--fit="_s}).fit, QString());
    for (const QStringList& bad :
         {QStringList{u"--fit"_s, u"zoom"_s}, {u"--monitors"_s, u"all"_s}, {u"--fit"_s}}) {
        const vlm::CommandLine refused = vlm::parseCommandLine(bad);
        EXPECT_EQ(refused.request, Usage) << bad.join(u' ').toStdString();
        EXPECT_TRUE(refused.problem.contains(bad.first())) << refused.problem.toStdString();
    }
}
