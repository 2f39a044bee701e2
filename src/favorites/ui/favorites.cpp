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
      favorite_(form.control<QListWidget>("Favorite")) {
    picker_.setFavouriteCommands([this] { NactiFav_Click(); }, [this] { UlozFav_Click(); });
    // Only the user's choice navigates; the program's own changes to the list run under a
    // signal blocker and leave no entry chosen.
    connect(favorite_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current) {
        if (current)
            Favorite_Click();
    });
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
    // A missing or unreadable file simply leaves no favourites.
    if (const std::optional<QStringList> lines =
            readFavoritesFile(services_.facts.favouritesFilePath()))
        favorite_->addItems(*lines);
    favorite_->setCurrentItem(nullptr);
}

void Favorites::UlozFav_Click() {
    // A folder the user may not write to keeps the list only until the panel opens again;
    // there is nothing the user could do about it here, so nothing is shown.
    writeFavoritesFile(services_.facts.favouritesFilePath(), folders());
}

void Favorites::Favorite_Click() {
    const QListWidgetItem* chosen = favorite_->currentItem();
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
        favorite_->addItem(AddBackslash(picker_.file1Path()));
        favorite_->setCurrentItem(nullptr);
    }
    UlozFav_Click();
}

void Favorites::Label32_Click() {
    QListWidgetItem* chosen = favorite_->currentItem();
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
