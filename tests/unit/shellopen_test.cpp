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
    // A text that is no absolute address is refused and opens nothing.
    for (const QString& target :
         {page, QString(), QStringLiteral("aplikace.htm"), QStringLiteral("http://a b/"), page})
        EXPECT_EQ(vlm::ShellOpen(target) > 32, target == page) << target.toStdString();
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl(page), QUrl(page)}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

} // namespace

#include "shellopen_test.moc"
