#include "platform/displayprobe.h"

#include <QDir>
#include <QProcessEnvironment>
#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket listening where an X server of display `number` would, abstract or as a file.
struct FakeServer {
    FakeServer(int number, bool abstract) {
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + (abstract ? 1 : 0), path.constData(), path.size());
        if (!abstract)
            file = path;
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) +
                                      std::size_t(path.size()));
        listening = bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                    listen(fd, 1) == 0;
    }
    ~FakeServer() {
        close(fd);
        if (!file.isEmpty())
            unlink(file.constData());
    }
    int fd = -1;
    QByteArray file;
    bool listening = false;
};

bool available(const QString& display) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    return vlm::displayAvailable(environment);
}

TEST(DisplayProbe, ALocalServerIsFoundByItsSocketEitherKind) {
    EXPECT_FALSE(available(QStringLiteral(":6471"))); // nobody listens
    EXPECT_FALSE(available(QString()));
    EXPECT_FALSE(available(QStringLiteral("nonsense")));
    {
        const FakeServer server(6472, true);
        ASSERT_TRUE(server.listening);
        EXPECT_TRUE(available(QStringLiteral(":6472")));
        EXPECT_TRUE(available(QStringLiteral("unix:6472.0")));
        EXPECT_FALSE(available(QStringLiteral(":6473")));
    }
    EXPECT_FALSE(available(QStringLiteral(":6472"))); // gone with its server
    QDir().mkpath(QStringLiteral("/tmp/.X11-unix"));
    const FakeServer server(6474, false);
    ASSERT_TRUE(server.listening);
    EXPECT_TRUE(available(QStringLiteral(":6474")));
}

} // namespace
