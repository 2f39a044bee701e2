#include "favorites/ui/favorites.h"

#include "collection/ui/picker.h"
#include "common/addbackslash.h"
#include "favorites/favoritesfile.h"
#include "platform/ui/widgets.h"
#include "services/services.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace vlm {

Favorites::Favorites(QObject* parent, const Services& services, const FavoritesControls& ui,
                     Picker& picker)
    : QObject(parent), services_(services), picker_(picker), ui_(ui) {
    picker_.setFavouriteCommands([this] { NactiFav_Click(); }, [this] { UlozFav_Click(); });
    // Only the user's choice navigates; the program's own changes to the list run under a
    // signal blocker and leave no entry chosen.
    favoriteClick_ = new ListBoxClick(ui_.Favorite);
    connect(favoriteClick_, &ListBoxClick::clicked, this, [this] { Favorite_Click(); });
    connect(ui_.Label31, &ClickableLabel::clicked, this, [this] { Label31_Click(); });
    connect(ui_.Label32, &ClickableLabel::clicked, this, [this] { Label32_Click(); });
}

const QCollator& Favorites::collator() {
    // Made when the list is first sorted: the panel is hidden at start.
    if (!collator_) {
        collator_.emplace(services_.locale);
        collator_->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return *collator_;
}

QStringList Favorites::folders() const {
    QStringList all;
    for (int i = 0; i < ui_.Favorite->count(); ++i)
        all.append(ui_.Favorite->item(i)->text());
    return all;
}

void Favorites::NactiFav_Click() {
    const QSignalBlocker blocker(ui_.Favorite);
    ui_.Favorite->clear();
    const QString path = services_.facts.favouritesFilePath();
    const std::optional<QStringList> lines = readFavoritesFile(path);
    fileReadable_ = lines.has_value();
    if (lines) {
        for (const QString& line : *lines)
            addSorted(ui_.Favorite, line, collator());
    } else {
        services_.messages.show(
            QStringList{QStringLiteral("Soubor oblíbených umístění nelze načíst:"), path,
                        QStringLiteral("Zůstane beze změny; změny oblíbených umístění se do něj "
                                       "neuloží.")}
                .join(kMessageLineBreak),
            kStyleNotice, QStringLiteral("Oblíbená umístění"));
    }
    ui_.Favorite->setCurrentItem(nullptr);
}

void Favorites::UlozFav_Click() {
    // A folder the user may not write to keeps the list only until the panel opens again;
    // there is nothing the user could do about it here, so nothing is shown. A file that could
    // not be read is not replaced by what the list shows.
    if (!fileReadable_)
        return;
    writeFavoritesFile(services_.facts.favouritesFilePath(), folders());
}

void Favorites::Favorite_Click() {
    const QListWidgetItem* chosen = ui_.Favorite->item(favoriteClick_->selectedRow());
    if (!chosen)
        return;
    const QString folder = AddBackslash(chosen->text());
    if (!Picker::isOpenableFolder(folder)) {
        services_.messages.show(QStringLiteral("Složku %1 nelze otevřít.").arg(folder) +
                                    kMessageLineBreak +
                                    QStringLiteral("Možná byla smazána nebo její disk "
                                                   "není připojen."),
                                kStyleNotice, QStringLiteral("Oblíbená umístění"));
        return;
    }
    picker_.setDir1Path(folder); // the drive list stays as it is
}

void Favorites::Label31_Click() {
    QString folder = AddBackslash(picker_.file1Path());
    // The file holds one folder a line: a path with a line break would come back as two.
    if (folder.contains(u'\r') || folder.contains(u'\n')) {
        services_.messages.show(
            QStringList{QStringLiteral("Cesta ke složce obsahuje konec řádku, takovou složku nelze "
                                       "přidat k oblíbeným:"),
                        folder.replace(u'\r', u'\u240D').replace(u'\n', u'\u240A'),
                        QStringLiteral("Složku přejmenujte a přidejte ji znovu.")}
                .join(kMessageLineBreak),
            kStyleNotice, QStringLiteral("Oblíbená umístění"));
        return;
    }
    {
        // The chosen favourite stays chosen, as in any sorted list box.
        const QSignalBlocker blocker(ui_.Favorite);
        addSorted(ui_.Favorite, folder, collator());
    }
    UlozFav_Click();
}

void Favorites::Label32_Click() {
    QListWidgetItem* chosen = ui_.Favorite->item(favoriteClick_->selectedRow());
    if (!chosen || chosen->text().isEmpty()) {
        services_.messages.show(QStringLiteral("Záznam pro smazání nebyl vybrán"), kStyleError,
                                QStringLiteral("Chyba"));
        return;
    }
    {
        const QSignalBlocker blocker(ui_.Favorite);
        delete ui_.Favorite->takeItem(ui_.Favorite->row(chosen));
        ui_.Favorite->setCurrentItem(nullptr);
    }
    UlozFav_Click();
}

} // namespace vlm
