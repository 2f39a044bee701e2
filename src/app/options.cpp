#include "app/options.h"

#include "common/numbers.h"
#include "desktop/autostartentry.h"
#include "services/services.h"

#include <QCheckBox>

namespace vlm {
namespace {

const QString kRunValueName = QString::fromUtf16(kAutostartValueName);

} // namespace

Options::Options(QObject* parent, Services& services, const OptionsControls& ui)
    : QObject(parent), services_(services), ui_(ui) {
    // toggled fires for the user's clicks and for states set by the program, only on change.
    connect(ui_.Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(ui_.Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    connect(ui_.Check3, &QCheckBox::toggled, this, [this] { Check3_Click(); });
}

void Options::store(const char* key, const QCheckBox* box) {
    services_.settings.save(QString::fromLatin1(key),
                            box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Options::Check1_Click() {
    store("start", ui_.Check1);
    if (ui_.Check1->isChecked())
        Command1_Click();
    else
        Command2_Click();
}

void Options::Check2_Click() {
    store("hide", ui_.Check2);
}

void Options::Check3_Click() {
    store("random", ui_.Check3);
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
        {"start", ui_.Check1}, {"hide", ui_.Check2}, {"random", ui_.Check3}};
    for (const auto& [key, box] : boxes) {
        const std::optional<int> state =
            wholeNumber(services_.settings.read(QString::fromLatin1(key)), services_.locale);
        // A check box holds 0 or 1; other numbers are not states it can take.
        if (state && (*state == 0 || *state == 1))
            box->setChecked(*state == 1);
    }
}

void Options::applyAutostart() {
    if (ui_.Check1->isChecked())
        Command1_Click();
    else
        Command2_Click();
}

} // namespace vlm
