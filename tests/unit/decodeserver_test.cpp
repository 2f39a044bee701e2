#include "common/decodewire.h"
#include "platform/decodehelper.h"
#include "platform/decodeserver.h"
#include "support/decodenow.h"
#include "unit/picturebytes.h"
#include "unit/scratch.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace vlmtest;

namespace {

// How a served request ended (a signal as 1000 + it) and the bytes of its answer.
using Result = std::pair<int, qsizetype>;

// The answers of one picture source, asked for in turn, at once, and after one it dropped.
TEST(DecodeServer, AnswersInTurnBesideOwnHelpersAndAfterADroppedPicture) {
    QTemporaryDir dir;
    const QImage first = pattern(40, 30), second = pattern(24, 48);
    writeBytes(dir.filePath(u"a.png"_s), encoded(first, "png"));
    writeBytes(dir.filePath(u"b.bmp"_s), encoded(second, "bmp"));
    vlm::HelperPictureSource source(decodeHelper());
    const auto decode = [&](const QString& name) {
        return source.decode({dir.filePath(name), {}, false, {}, false});
    };
    const auto answers = [](std::initializer_list<vlm::PictureJob*> jobs) {
        QList<QImage> images(qsizetype(jobs.size()));
        int left = int(jobs.size()), index = 0;
        QEventLoop loop;
        for (vlm::PictureJob* job : jobs)
            QObject::connect(job, &vlm::PictureJob::finished, &loop,
                             [&, at = index++](const vlm::DecodedPicture& picture) {
                                 images[at] = picture.image;
                                 if (--left == 0)
                                     loop.quit();
                             });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        return images;
    };
    for (int round = 0; round < 3; ++round) { // one after the other: the same server
        const vlm::PictureJobPtr job = decode(u"a.png"_s);
        EXPECT_EQ(answers({job.get()}).value(0), first) << round;
    }
    {
        const vlm::PictureJobPtr a = decode(u"a.png"_s), b = decode(u"b.bmp"_s);
        const QList<QImage> both = answers({a.get(), b.get()}); // one of them by its own helper
        EXPECT_EQ(both.value(0), first);
        EXPECT_EQ(both.value(1), second);
    }
    decode(u"a.png"_s).reset(); // dropped while it decodes: the server ends with it
    const vlm::PictureJobPtr after = decode(u"b.bmp"_s);
    EXPECT_EQ(answers({after.get()}).value(0), second);
}

// The server outlives requests that are not a picture's and says why it did not decode them.
TEST(DecodeServer, RefusesMalformedRequestsAndServesTheNext) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    QProcess server;
    server.setProgram(QFileInfo(decodeHelper()).dir().filePath(u"vlm-decode-common"_s));
    server.setArguments({u"serve"_s});
    vlm::limitHelper(server, vlm::kPhotoLimits, ends[1]);
    server.start();
    ASSERT_TRUE(server.waitForStarted());
    close(ends[1]);
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"p.png"_s), encoded(pattern(8, 4), "png"));
    const auto request = [&](const QByteArray& text, bool withAnswer) {
        const int picture = open(QFile::encodeName(dir.filePath(u"p.png"_s)), O_RDONLY);
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        const int descriptors[2] = {picture, pipeEnds[1]};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof descriptors)] = {};
        iovec part{const_cast<char*>(text.constData()), std::size_t(text.size())};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(withAnswer ? 2 * sizeof(int) : sizeof(int));
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        *header = {CMSG_LEN(withAnswer ? 2 * sizeof(int) : sizeof(int)), SOL_SOCKET, SCM_RIGHTS};
        std::memcpy(CMSG_DATA(header), descriptors, sizeof descriptors);
        EXPECT_EQ(sendmsg(ends[0], &message, 0), text.size());
        close(picture);
        close(pipeEnds[1]);
        vlm::decodewire::ServedExit exit{-1, -1};
        EXPECT_EQ(recv(ends[0], &exit, sizeof exit, 0), ssize_t(sizeof exit));
        QByteArray answer(4096, '\0');
        answer.resize(std::max<ssize_t>(0, read(pipeEnds[0], answer.data(), 4096)));
        close(pipeEnds[0]);
        return Result{exit.signalled * 1000 + exit.value, answer.size()};
    };
    const Result refused(vlm::decodewire::kBadArguments, 0);
    const Result decoded(vlm::decodewire::kDecoded,
                         qsizetype(vlm::decodewire::kHeaderSize) + 8 * 4 * 4);
    EXPECT_EQ(request("png within 8 8", false), refused);
    EXPECT_EQ(request("tiff within 8 8", true), refused);
    EXPECT_EQ(request("png within", true), refused);
    EXPECT_EQ(request("png within 8 8", true), decoded);
    close(ends[0]);
    EXPECT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 0);
}

// A server that ends with a picture under way fails that picture at once, as a helper that
// ended would, rather than leaving it to the time-out.
TEST(DecodeServer, FailsThePictureUnderWayWhenItEnds) {
    QTemporaryDir dir;
    // takes the request, and ends without an answer
    vlm::DecodeServer server(writeScript(dir.filePath(u"vlm-decode-common"_s), "sleep 0.5\n"));
    const int picture = open("/dev/null", O_RDONLY);
    int answer[2];
    ASSERT_EQ(pipe(answer), 0);
    std::optional<QProcess::ExitStatus> ended;
    QEventLoop loop;
    const bool sent = server.decode({u"png"_s, u"size"_s}, picture, answer[1],
                                    [&](int, QProcess::ExitStatus status) {
                                        ended = status;
                                        loop.quit();
                                    });
    ASSERT_TRUE(sent);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ended, QProcess::CrashExit);
    for (const int fd : {picture, answer[0], answer[1]})
        close(fd);
}

} // namespace
