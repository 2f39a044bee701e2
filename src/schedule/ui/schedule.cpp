#include "schedule/ui/schedule.h"

#include "common/timetext.h"
#include "platform/ui/widgets.h"
#include "schedule/interval.h"
#include "schedule/nextchange.h"
#include "services/services.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <utility>

namespace vlm {

Schedule::Schedule(QObject* parent, Services& services, const ScheduleControls& ui)
    : QObject(parent), services_(services), ui_(ui),
      maxLength_(
          qobject_cast<MaxLengthValidator*>(const_cast<QValidator*>(ui_.Text1->validator()))) {
    connect(ui_.Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(ui_.Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(ui_.Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(ui_.mnuPause, &QAction::triggered, this, [this] { mnuPause_Click(); });
    ui_.Text1->installEventFilter(this);
}

bool Schedule::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.Text1 &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)) {
        Text1_Click();
        return event->type() == QEvent::MouseButtonRelease; // keep the selection we just made
    }
    return QObject::eventFilter(watched, event);
}

void Schedule::setMaxLength(int length) {
    // The limit restricts typing only: a longer text set by the program stays as it is.
    pendingMaxLength_ = length;
    if (maxLength_ && ui_.Text1->text().size() <= length)
        maxLength_->setMaxLength(length);
}

void Schedule::CheckTime_Click() {
    // Each test reads the unit afresh, as the replacement below can run the handlers nested.
    for (const QString& unit : {kUnitSeconds, kUnitMinutes, kUnitHours}) {
        if (ui_.Combo1->currentText() != unit)
            continue;
        setMaxLength(2);
        IntervalCorrection correction = checkInterval(unit, ui_.Text1->text(), services_.locale);
        if (correction.emptyReplacement) {
            setBoxText(ui_.Text1, *correction.emptyReplacement);
            ui_.Text1->selectAll();
            correction = checkInterval(unit, ui_.Text1->text(), services_.locale);
        }
        if (correction.limitReplacement)
            setBoxText(ui_.Text1, *correction.limitReplacement);
    }
}

void Schedule::Text1_Change() {
    if (pendingMaxLength_ > 0)
        setMaxLength(pendingMaxLength_);
    CheckTime_Click();
    rescheduleForNewInterval();
}

void Schedule::Combo1_Click() {
    CheckTime_Click();
    rescheduleForNewInterval();
}

void Schedule::Text1_Click() {
    ui_.Text1->setSelection(0, static_cast<int>(ui_.Text1->text().size()));
}

void Schedule::ScheduleNextChange() {
    // A change, or a collection opened, while paused leaves the time left as it was.
    if (paused_)
        return;
    const std::optional<double> seconds =
        intervalSeconds(ui_.Combo1->currentText(), ui_.Text1->text(), services_.locale);
    if (!seconds)
        return;
    // The same text again still runs Text2_Change: the label may show a stale restored time.
    setBoxText(ui_.Text2, NextChangeTime(services_.clock.now(), *seconds, services_.locale));
}

void Schedule::Text2_Change() {
    ui_.DalsiZmena->setText(ui_.Text2->text());
    const std::optional<QTime> next = parseTimeText(ui_.Text2->text(), services_.locale);
    nextHms_ = next ? renderHms(*next) : QString();
    Q_EMIT statusChanged();
}

QString Schedule::nextChangeText() const {
    return ui_.Text2->text();
}

QString Schedule::nowText() const {
    return renderLongTime(services_.clock.now().time(), services_.locale);
}

std::optional<int> Schedule::intervalLeft() const {
    // What the countdown would show for the interval: a negative one counts to tomorrow.
    const std::optional<double> seconds =
        intervalSeconds(ui_.Combo1->currentText(), ui_.Text1->text(), services_.locale);
    const QString next =
        seconds ? NextChangeTime(services_.clock.now(), *seconds, services_.locale) : QString();
    if (next.isEmpty())
        return std::nullopt;
    return RemainingSeconds(nowText(), next, services_.locale);
}

void Schedule::rescheduleForNewInterval() {
    if (!paused_)
        ScheduleNextChange();
    else if (const std::optional<int> left = intervalLeft())
        setPaused(true, *left); // a new interval while paused becomes the time left
}

void Schedule::setPaused(bool paused, int secondsLeft) {
    paused_ = paused;
    secondsLeft_ = secondsLeft;
    services_.settings.saveAll({{QStringLiteral("paused"), QString::number(int(paused))},
                                {QStringLiteral("pausedleft"), QString::number(secondsLeft)}});
    ui_.mnuPause->setText(paused ? QStringLiteral("Pokračovat ve &střídání")
                                 : QStringLiteral("Pozastavit &střídání"));
    ui_.Label4->setVisible(!paused);
    if (paused) {
        ui_.DalsiZmena->setText(QStringLiteral("pozastaveno"));
        ui_.Label5->setText(renderDuration(secondsLeft));
    }
    shownSecond_ = -1; // the next tick draws the new state
    Q_EMIT statusChanged();
}

void Schedule::Pause() {
    if (!paused_)
        setPaused(true, RemainingSeconds(nowText(), ui_.Text2->text(), services_.locale));
}

void Schedule::Resume() {
    if (!paused_)
        return;
    const int left = secondsLeft_;
    setPaused(false, 0);
    setBoxText(ui_.Text2, NextChangeTime(services_.clock.now(), left, services_.locale));
}

void Schedule::mnuPause_Click() {
    if (paused_)
        Resume();
    else
        Pause();
}

void Schedule::restorePause() {
    const PauseAtStart request = pauseAtStart_;
    const bool stored = services_.settings.read(QStringLiteral("paused")) == u"1";
    const bool pause = request == PauseAtStart::AsStored  ? stored
                       : request == PauseAtStart::Toggled ? !stored
                                                          : request == PauseAtStart::Paused;
    if (!pause) {
        if (stored)
            setPaused(false, 0); // the command line ended the stored pause
        return;
    }
    // A new pause, or a time left that the program cannot have stored: the interval stands in.
    bool valid = false;
    const int left = services_.settings.read(QStringLiteral("pausedleft")).toInt(&valid);
    valid = valid && stored && left >= 0 && left < 86400;
    setPaused(true, valid ? left : intervalLeft().value_or(0));
}

void Schedule::setMenuOpen(bool open) {
    menuOpen_ = open;
    if (open)
        shownSecond_ = -1; // the next tick draws the line
}

void Schedule::Timer1_Timer() {
    const QDateTime now = services_.clock.now();
    // A held tick keeps the earlier one, so the time up to the release is tested then.
    const QDateTime previous =
        changesHeld_ && previousTick_.isValid() ? previousTick_ : std::exchange(previousTick_, now);
    const qint64 second = now.toSecsSinceEpoch();
    if (second != renderedSecond_) {
        nowText_ = renderLongTime(now.time(), services_.locale);
        renderedSecond_ = second;
    }
    if (!changesHeld_ && !paused_ && runChange_ &&
        isChangeDue(ui_.Text2->text(), nowText_, previous, now, services_.locale))
        runChange_();
    if (second == shownSecond_ && ui_.DalsiZmena->text() == shownNextChange_)
        return;

    ui_.AktCas->setText(nowText_);
    // The caption was rendered as "hh:mm:ss" by an earlier tick unless it changed since.
    if (!ui_.DalsiZmena->text().isEmpty() && ui_.DalsiZmena->text() != shownNextChange_) {
        if (const std::optional<QTime> next =
                parseTimeText(ui_.DalsiZmena->text(), services_.locale))
            ui_.DalsiZmena->setText(renderHms(*next));
    }
    const QString remaining =
        paused_ ? renderDuration(secondsLeft_)
                : RemainingTime(ui_.AktCas->text(), ui_.DalsiZmena->text(), services_.locale);
    if (menuOpen_)
        ui_.mnuZmenaTap->setText(
            paused_ ? QStringLiteral("střídání pozastaveno (zbývá %1)").arg(remaining)
                    : QStringLiteral("další změna za ") + remaining);
    ui_.Label5->setText(remaining);
    shownSecond_ = second;
    shownNextChange_ = ui_.DalsiZmena->text();
}

} // namespace vlm
