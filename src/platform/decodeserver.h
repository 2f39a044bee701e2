#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <functional>

class QSocketNotifier;

namespace vlm {

// vlm-decode-common kept running for a few seconds after its last picture, which forks a fresh
// decoder for every picture (src/decoder/serve.h): pictures in quick succession (a short
// interval, "next" clicked again, several monitors) pay neither for starting bubblewrap nor for
// loading the decoder's libraries, and each still decodes in a process of its own under the
// limits a helper has. One picture at a time: a caller that finds it busy starts a helper of its
// own.
class DecodeServer final : public QObject {
public:
    // How the picture's decoder ended, as a helper process's end is told.
    using Done = std::function<void(int exitCode, QProcess::ExitStatus status)>;

    explicit DecodeServer(QString helper, QObject* parent = nullptr);
    ~DecodeServer() override;

    // Hands the server the picture and the descriptor its answer goes to, starting the server
    // when it is not running; done follows once, from the event loop, unless cancel() comes
    // first. False when a picture is under way or the request cannot be sent.
    bool decode(const QStringList& arguments, int pictureFd, int outputFd, Done done);
    // Ends the picture under way, by ending the server: a decoder cannot be stopped halfway.
    void cancel();

private:
    bool start();
    void stop();
    void readReplies();
    void fail();
    void forwardMessages();

    QString helper_;
    QProcess* process_ = nullptr;
    int socket_ = -1;
    QSocketNotifier* replies_ = nullptr;
    QTimer idle_;
    Done done_;
    int served_ = 0;      // pictures this server has answered
    QByteArray messages_; // a line not yet ended
};

} // namespace vlm
