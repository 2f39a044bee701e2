#include "schedule/ui/schedule.h"

#include "app/form1.h"
#include "common/timetext.h"
#include "platform/ui/widgets.h"
#include "schedule/interval.h"
#include "schedule/nextchange.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <utility>

namespace vlm {

Schedule::Schedule(Form1& form)
    : QObject(&form), services_(form.services()), text1_(form.control<QLineEdit>("Text1")),
      combo1_(form.control<QComboBox>("Combo1")), text2_(form.control<QLineEdit>("Text2")),
      dalsiZmena_(form.control<QLabel>("DalsiZmena")), aktCas_(form.control<QLabel>("AktCas")),
      label5_(form.control<QLabel>("Label5")), mnuZmenaTap_(form.menuItem("mnuZmenaTap")),
      maxLength_(qobject_cast<MaxLengthValidator*>(const_cast<QValidator*>(text1_->validator()))) {
    connect(text1_, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(combo1_, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(text2_, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    text1_->installEventFilter(this);
}

bool Schedule::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)) {
        Text1_Click();
        return event->type() == QEvent::MouseButtonRelease; // keep the selection we just made
    }
    return QObject::eventFilter(watched, event);
}

void Schedule::setMaxLength(int length) {
    // The limit restricts typing only: a longer text set by the program stays as it is.
    pendingMaxLength_ = length;
    if (maxLength_ && text1_->text().size() <= length)
        maxLength_->setMaxLength(length);
}

void Schedule::CheckTime_Click() {
    // Each test reads the unit afresh, as the replacement below can run the handlers nested.
    for (const QString& unit : {kUnitSeconds, kUnitMinutes, kUnitHours}) {
        if (combo1_->currentText() != unit)
            continue;
        setMaxLength(2);
        IntervalCorrection correction = checkInterval(unit, text1_->text(), services_.locale);
        if (correction.emptyReplacement) {
            setBoxText(text1_, *correction.emptyReplacement);
            text1_->selectAll();
            correction = checkInterval(unit, text1_->text(), services_.locale);
        }
        if (correction.limitReplacement)
            setBoxText(text1_, *correction.limitReplacement);
    }
}

void Schedule::Text1_Change() {
    if (pendingMaxLength_ > 0)
        setMaxLength(pendingMaxLength_);
    CheckTime_Click();
    ScheduleNextChange();
}

void Schedule::Combo1_Click() {
    CheckTime_Click();
    ScheduleNextChange();
}

void Schedule::Text1_Click() {
    text1_->setSelection(0, static_cast<int>(text1_->text().size()));
}

void Schedule::ScheduleNextChange() {
    const std::optional<double> seconds =
        intervalSeconds(combo1_->currentText(), text1_->text(), services_.locale);
    if (!seconds)
        return;
    // The same text again still runs Text2_Change: the label may show a stale restored time.
    setBoxText(text2_, NextChangeTime(services_.clock.now(), *seconds, services_.locale));
}

void Schedule::Text2_Change() {
    dalsiZmena_->setText(text2_->text());
}

QString Schedule::nextChangeText() const {
    return text2_->text();
}

void Schedule::Timer1_Timer() {
    const QDateTime now = services_.clock.now();
    const QDateTime previous = std::exchange(previousTick_, now);
    const qint64 second = now.toSecsSinceEpoch();
    if (second != renderedSecond_) {
        nowText_ = renderLongTime(now.time(), services_.locale);
        renderedSecond_ = second;
    }
    if (isChangeDue(text2_->text(), nowText_, previous, now, services_.locale) && runChange_)
        runChange_();
    if (second == shownSecond_ && dalsiZmena_->text() == shownNextChange_)
        return;

    aktCas_->setText(nowText_);
    // The caption was rendered as "hh:mm:ss" by an earlier tick unless it changed since.
    if (!dalsiZmena_->text().isEmpty() && dalsiZmena_->text() != shownNextChange_) {
        if (const std::optional<QTime> next = parseTimeText(dalsiZmena_->text(), services_.locale))
            dalsiZmena_->setText(renderHms(*next));
    }
    const QString remaining = RemainingTime(aktCas_->text(), dalsiZmena_->text(), services_.locale);
    mnuZmenaTap_->setText(QStringLiteral("další změna za ") + remaining);
    label5_->setText(remaining);
    shownSecond_ = second;
    shownNextChange_ = dalsiZmena_->text();
}

} // namespace vlm
