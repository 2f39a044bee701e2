#pragma once

#include "platform/picturesource.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QCheckBox;
class QLabel;

namespace vlm {

class EntryList;
class ImageBox;
class ListBoxClick;
struct Services;

// The controls the open collection shows itself in.
struct CollectionListControls {
    EntryList* Kolekce;
    QLabel* Pocet;
    QLabel* AktPozice;
    QLabel* Label35;
    QLabel* SouborKolekce;
    ImageBox* Nahled;
    QCheckBox* Changes;
    QLabel* Label24; // delete entry: enabled with the commands
    QLabel* Label26; // add more pictures: enabled with the commands
};

// The open collection: the list Kolekce with its count, position, path and file labels, the
// preview and the unsaved flag.
class CollectionList : public QObject {
    Q_OBJECT
public:
    CollectionList(QObject* parent, const Services& services, const CollectionListControls& ui);

    // Shows the selected entry: its picture in the preview (the placeholder when it cannot be
    // loaded), its 1-based position and its path.
    void Kolekce_Click();

    // Appends the file's lines as entries. With countInPocet the count label counts up as the
    // lines arrive (start-up). Returns false when the file could not be read; no entry is
    // added then. Lines past the list's limit are not added, and a notice says so.
    bool ReadCollectionLines(const QString& path, bool countInPocet = false);
    // Writes every entry to the file atomically; false leaves the old file intact.
    bool WriteCollectionLines(const QString& path, QString* error = nullptr);

    // Appends entries up to the list's limit; returns how many did not fit.
    int addEntries(const QStringList& entries);
    // Tells the user that leftOut of a file's lineCount lines did not fit into the list, so
    // saving over that file would lose them.
    void reportLeftOut(qsizetype lineCount, int leftOut, const QString& title) const;

    int ListCount() const;
    int ListIndex() const;        // the selected entry, -1 when none is selected
    void setListIndex(int index); // selects the entry and shows it, also when it was selected
    QString entry(int index) const;
    QStringList entries() const;
    void clear();
    void removeEntry(int index); // leaves the list without a selection, showing nothing

    bool changed() const;
    void setChanged(bool changed);
    QString collectionFile() const;
    void setCollectionFile(const QString& path);
    void setCount(const QString& text);
    void showCount();                      // Pocet := the entry count
    void setCommandsEnabled(bool enabled); // Label26 and Label24
    void showPlaceholder();
    void clearPreview();

    // A remembered collection that could not be read keeps its stored position here, so that
    // storing the place at quit does not replace it with "no entry" while the list is empty.
    void rememberUnreadPlace(const QString& storedIndex) { unreadIndex_ = storedIndex; }
    std::optional<QString> unreadPlace() const;

    // The last preview's problem: why its entry cannot be shown (None while it loads).
    PictureProblem previewProblem() const { return previewProblem_; }

Q_SIGNALS:
    // The list was emptied to take another collection (or none).
    void cleared();
    // SouborKolekce names another file (or none).
    void collectionFileChanged();
    // The preview's picture arrived, or its entry turned out not to be showable.
    void previewShown();

private:
    void requestPreview(const QString& path);
    void setPreviewProblem(PictureProblem problem);
    QImage placeholder() const;
    int addCounting(const QStringList& lines); // addEntries, counting up in Pocet

    const Services& services_;
    const CollectionListControls ui_;
    ListBoxClick* kolekceClick_;
    std::optional<QString> unreadIndex_;
    PictureJobPtr previewJob_; // a newer preview cancels the one under way
    PictureProblem previewProblem_ = PictureProblem::None;
};

} // namespace vlm
