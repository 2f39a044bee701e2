#pragma once

#include <QCollator>
#include <QObject>
#include <QString>
#include <optional>

class QListWidget;

namespace vlm {

class ClickableLabel;
class ListBoxClick;
class Picker;
struct Services;

// The favourite folders' list and its add and remove links.
struct FavoritesControls {
    QListWidget* Favorite;
    ClickableLabel* Label31; // add the picker's folder
    ClickableLabel* Label32; // remove the chosen folder
};

// The favourite folders of the picker panel: the sorted list Favorite and the file
// favpath.inf that keeps it between runs.
class Favorites : public QObject {
    Q_OBJECT
public:
    // Hooks the load and save into the picker panel's open and close.
    Favorites(QObject* parent, const Services& services, const FavoritesControls& ui,
              Picker& picker);

    void NactiFav_Click(); // reload the list from the file
    void UlozFav_Click();  // store the list in the file
    void Favorite_Click(); // take the picker to the chosen folder
    void Label31_Click();  // add the picker's folder
    void Label32_Click();  // remove the chosen folder

    QStringList folders() const; // in the list's (sorted) order

private:
    const QCollator& collator(); // made when the list is first sorted

    const Services& services_;
    Picker& picker_;
    const FavoritesControls ui_;
    bool fileReadable_ = true; // a file that could not be read is left alone
    // The list's order: alphabetical for the user's language, any case.
    std::optional<QCollator> collator_;
    ListBoxClick* favoriteClick_;
};

} // namespace vlm
