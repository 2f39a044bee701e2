#include "schedule/ui/tickpace.h"

#include "platform/clock.h"
#include "schedule/ui/schedule.h"

#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace vlm {
namespace {

constexpr int kWatchedMsecs = 100;
// How far past the second's beginning the slow tick aims: the timer runs on the monotonic
// clock, the second is the wall clock's, and the two may drift apart a little in a second.
constexpr int kPastSecondMsecs = 5;

} // namespace

TickPace::TickPace(QTimer& timer, Schedule& schedule, const Clock& clock, QWidget* window,
                   QMenu* menu)
    : QObject(window), timer_(timer), schedule_(schedule), clock_(clock), window_(window) {
    connect(&timer_, &QTimer::timeout, this, &TickPace::onTimeout);
    window_->installEventFilter(this);
    // The countdown line must be right the instant the menu opens, whatever the pace was.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        menuOpen_ = true;
        schedule_.setMenuOpen(true);
        if (!started_)
            return;
        schedule_.Timer1_Timer();
        repace();
    });
    connect(menu, &QMenu::aboutToHide, this, [this] {
        menuOpen_ = false;
        schedule_.setMenuOpen(false);
        repace();
    });
}

void TickPace::start() {
    started_ = true;
    repace();
}

bool TickPace::seen() const {
    return window_->isVisible() || menuOpen_;
}

int TickPace::nextTickMsecs() const {
    return 1000 - clock_.now().time().msec() + kPastSecondMsecs;
}

bool TickPace::eventFilter(QObject* watched, QEvent* event) {
    // A minimised window gets a hide event but stays visible (its thumbnail may show the clock).
    if (watched == window_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        repace();
    return QObject::eventFilter(watched, event);
}

void TickPace::onTimeout() {
    schedule_.Timer1_Timer();
    if (!seen())
        repace(); // aims at the next second from the time this tick ended
}

void TickPace::repace() {
    if (!started_)
        return;
    if (seen()) {
        // Shown labels need no more than ten refreshes a second: a coarse timer may slip 5 %.
        if (timer_.isActive() && timer_.interval() == kWatchedMsecs &&
            timer_.timerType() == Qt::CoarseTimer)
            return;
        timer_.setTimerType(Qt::CoarseTimer);
        timer_.start(kWatchedMsecs);
        return;
    }
    // A coarse timer could wake up to 5 % early, in the second before: precise it is.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.start(nextTickMsecs());
}

} // namespace vlm
