#include "collection/ui/commands.h"

#include "collection/collectionfile.h"
#include "collection/ui/collectionlist.h"
#include "collection/ui/picker.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vlm {

CollectionCommands::CollectionCommands(QObject* parent, Services& services,
                                       const CollectionCommandsControls& ui,
                                       CollectionList& collection, Picker& picker,
                                       Schedule& schedule)
    : QObject(parent), services_(services), collection_(collection), picker_(picker),
      schedule_(schedule), ui_(ui) {
    connect(ui_.Label21, &ClickableLabel::clicked, this, [this] { Label21_Click(); });
    connect(ui_.Label22, &ClickableLabel::clicked, this, [this] { Label22_Click(); });
    connect(ui_.Label23, &ClickableLabel::clicked, this, [this] { Label23_Click(); });
    connect(ui_.Label24, &ClickableLabel::clicked, this, [this] { Label24_Click(); });
}

QString CollectionCommands::collectionsFolder() const {
    // A portable copy keeps its collections beside the program. An installed program's folder
    // is not the user's, nor is its hidden data folder: start in the user's pictures.
    if (services_.facts.writableFolder == services_.facts.executableFolder)
        return services_.facts.executableFolder;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

bool CollectionCommands::confirmDroppingChanges(const char* secondLine, const char* title) {
    if (!collection_.changed())
        return true;
    const QString question =
        messageText({"Kolekce, se kterou momentálně pracujete, nebyla pravděpodobně uložena.",
                     secondLine, "Chcete přesto pokračovat?"});
    return services_.messages.show(question, kStyleQuestion, QString::fromUtf8(title)) != kAnswerNo;
}

void CollectionCommands::Label21_Click() {
    if (!confirmDroppingChanges("Vytvoříte-li novou kolekci, neuložené změny budou ztraceny.",
                                "Vytvořit kolekci"))
        return;
    collection_.clear();
    collection_.clearPreview();
    collection_.setCommandsEnabled(false);
    collection_.setCollectionFile(QString());
    picker_.NactiFav();
    picker_.showPanel(3000);
    collection_.showCount();
}

void CollectionCommands::Label22_Click() {
    if (!confirmDroppingChanges("Otevřete-li novou kolekci, neuložené změny budou ztraceny.",
                                "Otevřít kolekci"))
        return;
    const std::optional<QString> chosen =
        services_.dialogs.open({collectionsFolder(), QStringLiteral("Otevřít kolekci"),
                                kCollectionFilter, kFileMustExist | kHideReadOnly, QString()});
    collection_.setCommandsEnabled(true);
    if (!chosen || chosen->isEmpty())
        return;

    // Read before anything is dropped: a file that cannot be read leaves the open collection
    // as it was instead of an empty list.
    const std::optional<QStringList> lines = readCollectionFile(*chosen);
    if (!lines) {
        services_.messages.show(QStringList{QStringLiteral("Soubor kolekce se nepodařilo načíst:"),
                                            *chosen,
                                            QStringLiteral("Otevřená kolekce zůstává beze změny.")}
                                    .join(kMessageLineBreak),
                                kStyleError, QStringLiteral("Chyba"));
        return;
    }
    collection_.setChanged(false);
    collection_.clear();
    const int dropped = collection_.addEntries(*lines);
    if (collection_.ListCount() > 0)
        collection_.setListIndex(0);
    schedule_.ScheduleNextChange();
    collection_.setCollectionFile(*chosen);
    collection_.showCount();
    collection_.Kolekce_Click();
    if (dropped > 0) // saving this list over its file would lose the lines that did not fit
        collection_.reportLeftOut(lines->size(), dropped, QStringLiteral("Otevřít kolekci"));
}

void CollectionCommands::Label23_Click() {
    if (collection_.ListCount() == 0) {
        services_.messages.show(QStringLiteral("V kolekci nejsou žádné záznamy."), kStyleError,
                                QStringLiteral("Chyba"));
        return;
    }
    // The dialog appends ".vlk" to a name typed without an extension, so the collection
    // shows up under the dialogs' filter next time; a name with any extension is kept.
    const std::optional<QString> chosen =
        services_.dialogs.save({collectionsFolder(), QStringLiteral("Uložit kolekci"),
                                kCollectionFilter, kHideReadOnly, QStringLiteral("vlk")});
    if (!chosen || chosen->isEmpty())
        return;
    if (!collection_.WriteCollectionLines(*chosen)) {
        // Nothing was replaced: the old file is intact and the collection stays unsaved.
        services_.messages.show(
            QStringList{QStringLiteral("Kolekci se nepodařilo uložit do souboru:"), *chosen,
                        QString(),
                        QStringLiteral("Do této složky nelze zapisovat, na disku není místo "
                                       "nebo je to název složky."),
                        QStringLiteral("Kolekce zůstává neuložená; uložte ji prosím jinam.")}
                .join(kMessageLineBreak),
            kStyleError, QStringLiteral("Chyba"));
        return;
    }
    collection_.setChanged(false);
    collection_.setCollectionFile(*chosen);
    collection_.showCount();
}

void CollectionCommands::Label24_Click() {
    const int index = collection_.ListIndex();
    if (index < 0 || collection_.entry(index).isEmpty()) {
        services_.messages.show(QStringLiteral("Záznam pro smazání nebyl vybrán"), kStyleError,
                                QStringLiteral("Chyba"));
        return;
    }
    const bool wasFirst = ui_.AktPozice->text() == QStringLiteral("1");
    collection_.removeEntry(index); // leaves no selection: the neighbour below is shown once
    if (wasFirst) {
        if (collection_.ListCount() == 0) {
            collection_.showPlaceholder();
            collection_.setCount(QStringLiteral("0"));
            return;
        }
        collection_.setListIndex(index);
    } else {
        collection_.setListIndex(index - 1);
    }
    collection_.setChanged(true);
    collection_.showCount();
}

} // namespace vlm
