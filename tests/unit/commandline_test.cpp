#include "desktop/commandline.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using vlm::LaunchRequest;

TEST(CommandLine, EachArgumentListGivesItsRequestAndAnUnknownOptionIsNamed) {
    const struct {
        QStringList arguments;
        LaunchRequest expected;
    } cases[] = {
        {{}, LaunchRequest::Run},
        {{u"--change-now"_s}, LaunchRequest::ChangeNow},
        {{u"--show"_s}, LaunchRequest::Show},
        {{u"--quit"_s}, LaunchRequest::Quit},
        {{u"--help"_s}, LaunchRequest::Help},
        {{u"-h"_s}, LaunchRequest::Help},
        {{u"--version"_s}, LaunchRequest::Version},
        {{u"--change-now"_s, u"--help"_s}, LaunchRequest::Help},
        {{u"--show"_s, u"--show"_s}, LaunchRequest::Show},
        // The uninstall switch as three words or as one, exactly; near misses start normally.
        {{u"/uninstall"_s, u"/all"_s, u"/regexp"_s}, LaunchRequest::Uninstall},
        {{u"/uninstall /all /regexp"_s}, LaunchRequest::Uninstall},
        {{u"/UNINSTALL"_s, u"/ALL"_s, u"/REGEXP"_s}, LaunchRequest::Run},
        {{u"/uninstall"_s, u"/all"_s, u"/regexp"_s, u"x"_s}, LaunchRequest::Run},
        {{QString(), u"/uninstall /all /regexp"_s}, LaunchRequest::Run},
        {{u"-platform"_s, u"xcb"_s, u"/uninstall /all /regexp"_s}, LaunchRequest::Run},
        {{u"--quit"_s, u"/uninstall"_s, u"/all"_s, u"/regexp"_s}, LaunchRequest::Quit},
        // Qt's own options, with their values, belong to Qt.
        {{u"-platform"_s, u"offscreen"_s, u"--show"_s}, LaunchRequest::Show},
        {{u"--style=fusion"_s, u"-reverse"_s, u"-session"_s, u"abc"_s}, LaunchRequest::Run},
        {{u"--bogus"_s}, LaunchRequest::Usage},
        {{u"-x"_s}, LaunchRequest::Usage},
        {{u"--change-now=1"_s}, LaunchRequest::Usage},
        {{u"-reverse=1"_s}, LaunchRequest::Usage},
        {{u"--show"_s, u"--quit"_s}, LaunchRequest::Usage},
        {{u"--version"_s, u"--change-now"_s}, LaunchRequest::Usage},
        {{u"--help"_s, u"--bogus"_s}, LaunchRequest::Usage},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(vlm::parseCommandLine(arguments).request, expected)
            << arguments.join(u' ').toStdString();
    const QString problem = vlm::parseCommandLine({u"--show"_s, u"--colour"_s}).problem;
    EXPECT_TRUE(problem.contains(u"--colour"_s)) << problem.toStdString();
}
