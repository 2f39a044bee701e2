#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vlm {

class MaxLengthValidator;
struct Services;

// The interval fields, the hidden schedule, the clock and the countdowns.
struct ScheduleControls {
    QLineEdit* Text1;
    QComboBox* Combo1;
    QLineEdit* Text2;
    QLabel* DalsiZmena;
    QLabel* Label4; // "což je za": hidden while paused, DalsiZmena's text takes its place
    QLabel* AktCas;
    QLabel* Label5;
    QAction* mnuZmenaTap;
    QAction* mnuPause; // pauses or resumes, its caption by the state
};

// How start-up takes up the pause stored at the last quit: as stored, or as the command line
// asks where no copy ran.
enum class PauseAtStart { AsStored, Paused, Resumed, Toggled };

// The interval fields, the schedule Text2 and the 100 ms tick with its clock and countdown.
class Schedule : public QObject {
    Q_OBJECT
public:
    Schedule(QObject* parent, Services& services, const ScheduleControls& ui);

    // Runs one wallpaper change when the tick finds the schedule due.
    void setChangeHandler(std::function<void()> handler) { runChange_ = std::move(handler); }
    // While held the tick keeps the clock but runs no change; one that fell due meanwhile runs
    // at the first tick after, unless the schedule was moved past it.
    void holdChanges(bool held) { changesHeld_ = held; }

    void CheckTime_Click();
    void Text1_Change();
    void Combo1_Click();
    void Text1_Click(); // also on focus: select the whole text so typing replaces it
    void ScheduleNextChange();
    void Text2_Change();
    void Timer1_Timer();
    // The tray menu's countdown line is drawn only while the menu is open: on a StatusNotifier
    // host each change of its text is a message on the session bus that wakes the host.
    void setMenuOpen(bool open);

    // While paused no timed change runs: Label5 keeps the time that was left, DalsiZmena says
    // so, and resuming schedules the next change that time from now. A change asked for meanwhile
    // leaves the time left as it was; a new interval becomes the time left. The state is stored
    // as it starts and ends, so it outlasts a restart.
    void Pause();
    void Resume();
    void mnuPause_Click();
    bool paused() const { return paused_; }
    // Start-up, after the interval is restored and before its change: takes up the stored pause,
    // or what the command line asked for (set before start-up).
    void setPauseAtStart(PauseAtStart request) { pauseAtStart_ = request; }
    void restorePause();

    QString nextChangeText() const; // Text2
    // The next change as "hh:mm:ss"; empty before the first schedule and while paused.
    QString nextChangeHms() const { return paused_ ? QString() : nextHms_; }

Q_SIGNALS:
    // The next change or the pause changed.
    void statusChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setMaxLength(int length);
    void rescheduleForNewInterval();
    std::optional<int> intervalLeft() const;
    void setPaused(bool paused, int secondsLeft);
    QString nowText() const;

    Services& services_;
    const ScheduleControls ui_;
    MaxLengthValidator* maxLength_;
    int pendingMaxLength_ = 0;
    QDateTime previousTick_;
    // What the last tick rendered: within one second, with the next change unchanged, the
    // labels cannot differ, so the tick does only the trigger test.
    qint64 renderedSecond_ = -1;
    QString nowText_;
    qint64 shownSecond_ = -1;
    QString shownNextChange_;
    bool menuOpen_ = false;
    std::function<void()> runChange_;
    bool changesHeld_ = false;
    bool paused_ = false;
    PauseAtStart pauseAtStart_ = PauseAtStart::AsStored;
    int secondsLeft_ = 0; // while paused
    QString nextHms_;
};

} // namespace vlm
