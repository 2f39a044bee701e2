#pragma once

#include <QObject>

class QMenu;
class QTimer;
class QWidget;

namespace vlm {

class Clock;
class Schedule;

// How often Timer1 ticks. Every 100 ms while what the tick draws can be seen: the window is
// shown or the tray menu with its countdown line is open. Otherwise nobody sees the clock and
// only the change matters, which needs one tick in each second: the tick then runs once a
// second, just after the second begins, and the process sleeps in between.
class TickPace : public QObject {
    Q_OBJECT
public:
    // Each timeout of `timer` runs the schedule's tick; the clock says where the next second
    // begins.
    TickPace(QTimer& timer, Schedule& schedule, const Clock& clock, QWidget* window, QMenu* menu);

    void start(); // the first start of the timer; nothing is paced before it

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool seen() const;         // what the tick draws can be seen: the fast pace
    int nextTickMsecs() const; // at the slow pace: just past the next second's beginning
    void onTimeout();
    void repace();

    QTimer& timer_;
    Schedule& schedule_;
    const Clock& clock_;
    QWidget* window_;
    bool started_ = false;
    bool menuOpen_ = false;
};

} // namespace vlm
