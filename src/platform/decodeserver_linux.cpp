#include "common/decodewire.h"
#include "platform/decodehelper.h"
#include "platform/decodeserver.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace vlm {

namespace {

// Long enough for clicks in a row and a short interval, short enough that an idle program
// keeps no decoder around.
constexpr auto kKeptFor = std::chrono::seconds(10);
// The server's own CPU time (a fork and a wait a picture) counts against the helper's limit
// however long it runs: a server at a one-second interval is replaced now and then.
constexpr int kMostPictures = 1000;

} // namespace

DecodeServer::DecodeServer(QString helper, QObject* parent)
    : QObject(parent), helper_(std::move(helper)) {
    idle_.setSingleShot(true);
    idle_.setInterval(kKeptFor);
    connect(&idle_, &QTimer::timeout, this, &DecodeServer::stop);
}

DecodeServer::~DecodeServer() {
    stop();
}

bool DecodeServer::start() {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    socket_ = ends[0];
    served_ = 0;
    process_ = new QProcess;
    process_->setProgram(helper_);
    process_->setArguments({QStringLiteral("serve")});
    // Each picture's decoder inherits these limits, its CPU time counted from nothing.
    prepareHelper(*process_, kPhotoLimits, ends[1]);
    process_->setStandardOutputFile(QProcess::nullDevice());
    connect(process_, &QProcess::readyReadStandardError, this, &DecodeServer::forwardMessages);
    connect(process_, &QProcess::finished, this, [this] {
        readReplies(); // a reply sent before it ended still counts
        fail();
    });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail();
    });
    process_->start(QIODevice::ReadOnly);
    ::close(ends[1]);
    if (!process_) // it could not start, and has been cleaned up
        return false;
    replies_ = new QSocketNotifier(socket_, QSocketNotifier::Read, this);
    connect(replies_, &QSocketNotifier::activated, this, &DecodeServer::readReplies);
    return true;
}

bool DecodeServer::decode(const QStringList& arguments, int pictureFd, int outputFd, Done done) {
    if (done_ || helper_.isEmpty())
        return false;
    const QByteArray request = arguments.join(u' ').toLatin1();
    if (request.size() > qsizetype(decodewire::kMostRequestBytes))
        return false;
    if (!process_ && !start())
        return false;
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    iovec part{const_cast<char*>(request.constData()), std::size_t(request.size())};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(2 * sizeof(int));
    const int descriptors[2] = {pictureFd, outputFd};
    std::memcpy(CMSG_DATA(header), descriptors, sizeof descriptors);
    ssize_t sent = -1;
    do
        sent = ::sendmsg(socket_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    while (sent < 0 && errno == EINTR);
    if (sent != ssize_t(request.size())) { // the server is gone: the next picture starts another
        stop();
        return false;
    }
    idle_.stop();
    done_ = std::move(done);
    return true;
}

void DecodeServer::readReplies() {
    while (socket_ >= 0) {
        decodewire::ServedExit exit{};
        const ssize_t got = ::recv(socket_, &exit, sizeof exit, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        // the server ended, or says something no server says: the picture under way fails
        if (got != ssize_t(sizeof exit) || !done_ || (exit.signalled != 0 && exit.signalled != 1))
            return fail();
        if (++served_ >= kMostPictures)
            stop();
        else
            idle_.start();
        const Done done = std::exchange(done_, nullptr);
        done(exit.value, exit.signalled ? QProcess::CrashExit : QProcess::NormalExit);
    }
}

// The server ended with a picture under way: that picture's decoder ended with it.
void DecodeServer::fail() {
    const Done done = std::exchange(done_, nullptr);
    stop();
    if (done)
        done(-1, QProcess::CrashExit);
}

void DecodeServer::cancel() {
    done_ = nullptr;
    stop();
}

// Ends the server at once; its process object lives until the system has reaped it, so that
// nothing here waits.
void DecodeServer::stop() {
    idle_.stop();
    delete std::exchange(replies_, nullptr);
    if (socket_ >= 0)
        ::close(std::exchange(socket_, -1));
    forwardMessages();
    if (QProcess* process = std::exchange(process_, nullptr))
        discardHelper(process);
}

void DecodeServer::forwardMessages() {
    if (!process_)
        return;
    constexpr qsizetype kMostLineBytes = 4096; // the rest of a line that long is dropped
    messages_ += process_->readAllStandardError();
    const qsizetype lineEnd = messages_.lastIndexOf('\n');
    if (lineEnd >= 0) {
        reportHelperMessages(messages_.left(lineEnd));
        messages_.remove(0, lineEnd + 1);
    }
    messages_.truncate(kMostLineBytes);
}

} // namespace vlm
