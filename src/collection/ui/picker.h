#pragma once

#include "platform/picturesource.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QComboBox;
class QFrame;
class QListWidget;

namespace vlm {

class ClickableLabel;
class CollectionList;
class ImageBox;
class Schedule;
struct Services;

// The picker panel and the links that open it, add from it and close it.
struct PickerControls {
    QFrame* NewOrAdd;
    QComboBox* Drive1;
    QListWidget* Dir1;
    QListWidget* File1;
    ImageBox* Nahled2;
    ClickableLabel* Label26; // add more pictures
    ClickableLabel* Label30; // add the selected files
    ClickableLabel* Label29; // close the panel
};

// The file picker panel NewOrAdd: drive, folder and file lists, the small preview and the
// commands that add the chosen files to the collection.
class Picker : public QObject {
    Q_OBJECT
public:
    Picker(QObject* parent, Services& services, const PickerControls& ui,
           CollectionList& collection, Schedule& schedule);

    // The favourite folders are reloaded when the panel opens and stored when it closes.
    void setFavouriteCommands(std::function<void()> load, std::function<void()> save);

    void Label26_Click(); // open the panel for more files
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();    // preview the caret file
    void File1_DblClick(); // add the caret file
    void Label30_Click();  // add the selection
    void Label29_Click();  // close the panel

    // Start-up: the folder list, the drive list and the file list go to folder, in that order.
    void pointAt(const QString& folder);
    // Reloads the favourites (runs NactiFav).
    void NactiFav();
    // Shows the panel at left leftTwips, top 0, above the other controls.
    void showPanel(int leftTwips);

    // The folder list's folder.
    QString dir1Path() const { return dir1Path_; }
    // Moves the folder list to path and runs Dir1_Change; a path that is not a readable
    // folder, or the folder already shown, is ignored.
    void setDir1Path(const QString& path);
    // The folder that the file list shows (no trailing separator except for a root).
    QString file1Path() const { return file1Path_; }
    void setFile1Path(const QString& folder);
    // The root path of the volume chosen in the drive list.
    QString drive() const;
    // Chooses the volume that holds path in the drive list (runs Drive1_Change on a change).
    void setDriveFromPath(const QString& path);
    // Lists the mounted volumes that are ready, keeping the current choice.
    void refreshDrives();

    // Whether the folder list can go to path.
    static bool isOpenableFolder(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFolderList();
    void decorateFolderList(); // the folder icons, once the panel is shown
    bool volumeUsable(const QString& root) const;
    // Appends entries and marks the collection changed; tells the user which could not be
    // added. Returns whether all were added.
    bool addToCollection(const QStringList& paths);
    void refuseLineBreaks(const QStringList& paths);
    QString pathOf(int file1Index) const;

    Services& services_;
    CollectionList& collection_;
    Schedule& schedule_;
    const PickerControls ui_;
    QString dir1Path_;
    QString file1Path_;
    int folderChainLength_ = 0; // Dir1's first rows: the folder and its ancestors (open icon)
    QIcon openFolderIcon_;      // looked up in the icon theme when the panel is first shown
    QIcon closedFolderIcon_;
    QHash<QString, QString> driveFolders_; // each volume's last folder, as a drive's current one
    bool recoveringDrive_ = false;
    std::function<void()> loadFavourites_;
    std::function<void()> saveFavourites_;
    PictureJobPtr previewJob_; // the caret's file; a newer one cancels it
};

// The file list's pattern, matched without regard to case.
QStringList pictureNameFilters();

} // namespace vlm
