#include "desktop/shellopen.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

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
    EXPECT_GT(vlm::ShellOpen(page), 32);
    EXPECT_GT(vlm::ShellOpen(page), 32);
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl(page), QUrl(page)}));

    for (const QString& bad :
         {QString(), QStringLiteral("aplikace.htm"), QStringLiteral("http://a b/")})
        EXPECT_EQ(vlm::ShellOpen(bad), 0) << bad.toStdString();
    EXPECT_EQ(catcher.opened.size(), 2);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

} // namespace

#include "shellopen_test.moc"
