#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>

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
    QLabel* AktCas;
    QLabel* Label5;
    QAction* mnuZmenaTap;
};

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

    QString nextChangeText() const;    // Text2
    QString nextChangeCaption() const; // DalsiZmena, as shown

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setMaxLength(int length);

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
};

} // namespace vlm
