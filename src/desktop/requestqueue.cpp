#include "desktop/requestqueue.h"

#include <QThread>

namespace vlm {

RequestQueue::RequestQueue(QObject* parent) : QObject(parent) {
    // A modal question has no signal for its end: look again a little later.
    retry_.setInterval(100);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &RequestQueue::runWaiting);
}

void RequestQueue::post(std::function<void()> request) {
    requests_.push_back(std::move(request));
    if (open_)
        retry_.start(0);
}

void RequestQueue::open() {
    open_ = true;
    if (!requests_.empty())
        retry_.start(0);
}

bool RequestQueue::inMainLoop() const {
    // The application's own loop is the first level; a modal dialog or a menu runs a second.
    return QThread::currentThread()->loopLevel() == 1;
}

void RequestQueue::runWaiting() {
    if (!open_ || running_ || requests_.empty())
        return;
    if (!inMainLoop()) {
        retry_.start();
        return;
    }
    running_ = true;
    while (!requests_.empty() && inMainLoop()) {
        const std::function<void()> request = std::move(requests_.front());
        requests_.pop_front();
        request();
    }
    running_ = false;
    if (!requests_.empty())
        retry_.start();
}

} // namespace vlm
