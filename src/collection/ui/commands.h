#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace vlm {

class ClickableLabel;
class CollectionList;
class Picker;
class Schedule;
struct Services;

// The collection commands' links and the position they read.
struct CollectionCommandsControls {
    QLabel* AktPozice;
    ClickableLabel* Label21; // create new
    ClickableLabel* Label22; // open
    ClickableLabel* Label23; // save
    ClickableLabel* Label24; // delete the selected entry
};

// The collection commands: create new, open, save and delete the selected entry.
class CollectionCommands : public QObject {
    Q_OBJECT
public:
    CollectionCommands(QObject* parent, Services& services, const CollectionCommandsControls& ui,
                       CollectionList& collection, Picker& picker, Schedule& schedule);

    void Label21_Click(); // create a new collection
    void Label22_Click(); // open a collection file
    void Label23_Click(); // save the collection
    void Label24_Click(); // delete the selected entry

    // Where the open and save dialogs start: one folder for both, so a saved collection is
    // where opening looks.
    QString collectionsFolder() const;

private:
    bool confirmDroppingChanges(const char* secondLine, const char* title);

    Services& services_;
    CollectionList& collection_;
    Picker& picker_;
    Schedule& schedule_;
    const CollectionCommandsControls ui_;
};

// The collection files offered by the open and save dialogs.
inline const QString kCollectionFilter = QStringLiteral("Kolekce (*.vlk)|*.vlk|");

} // namespace vlm
