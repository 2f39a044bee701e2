#include "favorites/ui/favorites.h"

#include "app/form1.h"
#include "collection/ui/picker.h"
#include "common/addbackslash.h"
#include "favorites/favoritesfile.h"
#include "platform/ui/widgets.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace vlm {

Favorites::Favorites(Form1& form, Picker& picker)
    : QObject(&form), services_(form.services()), picker_(picker),
      favorite_(form.control<QListWidget>("Favorite")), collator_(services_.locale) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    picker_.setFavouriteCommands([this] { NactiFav_Click(); }, [this] { UlozFav_Click(); });
    // Only the user's choice navigates; the program's own changes to the list run under a
    // signal blocker and leave no entry chosen.
    favoriteClick_ = new ListBoxClick(favorite_);
    connect(favoriteClick_, &ListBoxClick::clicked, this, [this] { Favorite_Click(); });
    connect(form.control<ClickableLabel>("Label31"), &ClickableLabel::clicked, this,
            [this] { Label31_Click(); });
    connect(form.control<ClickableLabel>("Label32"), &ClickableLabel::clicked, this,
            [this] { Label32_Click(); });
}

QStringList Favorites::folders() const {
    QStringList all;
    for (int i = 0; i < favorite_->count(); ++i)
        all.append(favorite_->item(i)->text());
    return all;
}

void Favorites::NactiFav_Click() {
    const QSignalBlocker blocker(favorite_);
    favorite_->clear();
    const QString path = services_.facts.favouritesFilePath();
    const std::optional<QStringList> lines = readFavoritesFile(path);
    fileReadable_ = lines.has_value();
    if (lines) {
        for (const QString& line : *lines)
            addSorted(favorite_, line, collator_);
    } else {
        services_.messages.show(
            QStringList{QStringLiteral("Soubor oblíbených umístění nelze načíst:"), path,
                        QStringLiteral("Zůstane beze změny; změny oblíbených umístění se do něj "
                                       "neuloží.")}
                .join(kMessageLineBreak),
            kStyleNotice, QStringLiteral("Oblíbená umístění"));
    }
    favorite_->setCurrentItem(nullptr);
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
    const QListWidgetItem* chosen = favorite_->item(favoriteClick_->selectedRow());
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
    {
        const QSignalBlocker blocker(favorite_);
        addSorted(favorite_, AddBackslash(picker_.file1Path()), collator_);
        favorite_->setCurrentItem(nullptr);
    }
    UlozFav_Click();
}

void Favorites::Label32_Click() {
    QListWidgetItem* chosen = favorite_->item(favoriteClick_->selectedRow());
    if (!chosen || chosen->text().isEmpty()) {
        services_.messages.show(QStringLiteral("Záznam pro smazání nebyl vybrán"), kStyleError,
                                QStringLiteral("Chyba"));
        return;
    }
    {
        const QSignalBlocker blocker(favorite_);
        delete favorite_->takeItem(favorite_->row(chosen));
        favorite_->setCurrentItem(nullptr);
    }
    UlozFav_Click();
}

} // namespace vlm
