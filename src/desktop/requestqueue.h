#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace vlm {

// Requests from other processes wait here for their turn: they run one after another from the
// main event loop, never during start-up and never nested inside a modal question, dialog or
// menu (which run event loops of their own while the program waits for the user).
class RequestQueue : public QObject {
    Q_OBJECT
public:
    explicit RequestQueue(QObject* parent = nullptr);

    void post(std::function<void()> request);
    // Start-up has finished; waiting requests run once the main loop turns.
    void open();

    std::size_t waiting() const { return requests_.size(); }

private:
    void runWaiting();
    bool inMainLoop() const;

    std::deque<std::function<void()>> requests_;
    QTimer retry_;
    bool open_ = false;
    bool running_ = false;
};

} // namespace vlm
