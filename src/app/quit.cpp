#include "app/quit.h"

#include "app/form1.h"
#include "collection/ui/collectionlist.h"
#include "desktop/ui/tray.h"
#include "platform/ui/widgets.h"
#include "services/services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vlm {

Quit::Quit(Form1& window, Services& services, const QuitControls& ui,
           const CollectionList& collection, Tray& tray)
    : QObject(&window), window_(window), services_(services), ui_(ui), collection_(collection),
      tray_(tray) {
    connect(ui_.Image3, &ImageBox::clicked, this, [this] { Image3_Click(); });
    connect(ui_.mnuBar_Quit, &QAction::triggered, this, [this] { mnuBar_Quit_Click(); });
}

void Quit::Image3_Click() {
    MessageBox& messages = services_.messages;
    if (collection_.changed() &&
        messages.show(messageText({"Kolekce, se kterou momentálně pracujete, nebyla pravděpodobně "
                                   "uložena.",
                                   "Kolekci je nutno uložit, aby aplikace mohla při příštím "
                                   "spuštění načíst obrázky.",
                                   "Chcete přesto aplikaci ukončit?"}),
                      kStyleQuestion, QStringLiteral("Upozornění")) == kAnswerNo)
        return;
    if (messages.show(QStringLiteral("Opravdu chcete ukončit činost aplikace?"), kStyleQuestion,
                      QStringLiteral("Konec aplikace")) == kAnswerNo)
        return;
    finish();
}

void Quit::quitRequested() {
    if (!collection_.changed()) {
        finish();
        return;
    }
    window_.mnuNastaveni_Click();
    Image3_Click();
}

void Quit::finish() {
    storeOptions();
    tray_.NoTray_Click();
    window_.close();
}

void Quit::Form_QueryUnload() {
    if (!window_.uninstalled())
        storeOptions();
}

void Quit::storeOptions() {
    if (!window_.startupDone())
        return; // the store still holds the place that start-up is restoring
    SettingsStore& settings = services_.settings;
    const std::optional<QString> unreadIndex = collection_.unreadPlace();
    // One write for all seven, so quitting rewrites the options file once.
    settings.saveAll({
        {QStringLiteral("lastfile"), collection_.collectionFile()},
        {QStringLiteral("index"),
         unreadIndex ? *unreadIndex : QString::number(collection_.ListIndex())},
        {QStringLiteral("lastCh"), ui_.PosledniZmena->text()},
        {QStringLiteral("NextCh"), ui_.DalsiZmena->text()},
        {QStringLiteral("start"),
         ui_.Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("cas"), ui_.Text1->text()},
        {QStringLiteral("jednotky"), ui_.Combo1->currentText()},
    });
}

} // namespace vlm
