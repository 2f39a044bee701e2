#include "app/quit.h"

#include "app/form1.h"
#include "collection/ui/collectionlist.h"
#include "desktop/ui/tray.h"
#include "platform/ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vlm {

Quit::Quit(Form1& form, const QuitControls& ui) : QObject(&form), form_(form), ui_(ui) {
    connect(ui_.Image3, &ImageBox::clicked, this, [this] { Image3_Click(); });
    connect(ui_.mnuBar_Quit, &QAction::triggered, this, [this] { mnuBar_Quit_Click(); });
}

void Quit::Image3_Click() {
    MessageBox& messages = form_.services().messages;
    if (form_.collection().changed() &&
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
    if (!form_.collection().changed()) {
        finish();
        return;
    }
    form_.mnuNastaveni_Click();
    Image3_Click();
}

void Quit::finish() {
    storeOptions();
    form_.tray().NoTray_Click();
    form_.close();
}

void Quit::Form_QueryUnload() {
    if (!form_.uninstalled())
        storeOptions();
}

void Quit::storeOptions() {
    SettingsStore& settings = form_.services().settings;
    const CollectionList& collection = form_.collection();
    const std::optional<QString> unreadIndex = collection.unreadPlace();
    // One write for all seven, so quitting rewrites the options file once.
    settings.saveAll({
        {QStringLiteral("lastfile"), collection.collectionFile()},
        {QStringLiteral("index"),
         unreadIndex ? *unreadIndex : QString::number(collection.ListIndex())},
        {QStringLiteral("lastCh"), ui_.PosledniZmena->text()},
        {QStringLiteral("NextCh"), ui_.DalsiZmena->text()},
        {QStringLiteral("start"),
         ui_.Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("cas"), ui_.Text1->text()},
        {QStringLiteral("jednotky"), ui_.Combo1->currentText()},
    });
}

} // namespace vlm
