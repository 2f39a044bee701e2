#include "app/options.h"

#include "app/form1.h"
#include "common/numbers.h"
#include "desktop/autostartentry.h"

#include <QCheckBox>

namespace vlm {
namespace {

const QString kRunValueName = QString::fromUtf16(kAutostartValueName);

} // namespace

Options::Options(Form1& form)
    : QObject(&form), services_(form.services()), check1_(form.control<QCheckBox>("Check1")),
      check2_(form.control<QCheckBox>("Check2")), check3_(form.control<QCheckBox>("Check3")) {
    // toggled fires for the user's clicks and for states set by the program, only on change.
    connect(check1_, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(check2_, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    connect(check3_, &QCheckBox::toggled, this, [this] { Check3_Click(); });
}

void Options::store(const char* key, const QCheckBox* box) {
    services_.settings.save(QString::fromLatin1(key),
                            box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Options::Check1_Click() {
    store("start", check1_);
    if (check1_->isChecked())
        Command1_Click();
    else
        Command2_Click();
}

void Options::Check2_Click() {
    store("hide", check2_);
}

void Options::Check3_Click() {
    store("random", check3_);
}

void Options::Command1_Click() {
    services_.autostart.SetRunValue(kRunValueName,
                                    autostartCommandPath(services_.facts.executableFolder));
}

void Options::Command2_Click() {
    services_.autostart.SetRunValue(kRunValueName, QString());
}

void Options::restore() {
    const std::pair<const char*, QCheckBox*> boxes[] = {
        {"start", check1_}, {"hide", check2_}, {"random", check3_}};
    for (const auto& [key, box] : boxes) {
        const std::optional<int> state =
            wholeNumber(services_.settings.read(QString::fromLatin1(key)), services_.locale);
        // A check box holds 0 or 1; other numbers are not states it can take.
        if (state && (*state == 0 || *state == 1))
            box->setChecked(*state == 1);
    }
}

void Options::applyAutostart() {
    if (check1_->isChecked())
        Command1_Click();
    else
        Command2_Click();
}

} // namespace vlm
