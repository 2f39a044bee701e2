#include "collection/ui/picker.h"

#include "collection/collectionfile.h"
#include "collection/ui/collectionlist.h"
#include "common/addbackslash.h"
#include "platform/picturekind.h"
#include "platform/ui/twips.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace vlm {
namespace {

constexpr int kPathRole = Qt::UserRole;
const QString kAddTitle = QStringLiteral("Přidání souborů");

QString cleanFolder(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

QString volumeRoot(const QString& path) {
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QString();
}

bool volumeOpens(const QString& root) {
    if (root.isEmpty() || !Picker::isOpenableFolder(root))
        return false;
    const QStorageInfo volume(root);
    return volume.isValid() && volume.isReady();
}

QString driveCaption(const QStorageInfo& volume) {
    const QString name = volume.displayName();
    if (name.isEmpty() || name == volume.rootPath())
        return volume.rootPath();
    return QStringLiteral("%1  [%2]").arg(volume.rootPath(), name);
}

} // namespace

QStringList pictureNameFilters() {
    return pictureNamePatterns();
}

Picker::Picker(QObject* parent, Services& services, const PickerControls& ui,
               CollectionList& collection, Schedule& schedule)
    : QObject(parent), services_(services), collection_(collection), schedule_(schedule), ui_(ui) {
    refreshDrives();
    connect(ui_.Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    // Double-click or Enter on a folder goes there.
    connect(ui_.Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setDir1Path(item->data(kPathRole).toString()); });
    // A click previews, also on the file already highlighted; the caret arriving by Tab does not.
    connect(new ListBoxClick(ui_.File1), &ListBoxClick::clicked, this, [this] { File1_Click(); });
    connect(ui_.File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });
    connect(ui_.Label26, &ClickableLabel::clicked, this, [this] { Label26_Click(); });
    connect(ui_.Label30, &ClickableLabel::clicked, this, [this] { Label30_Click(); });
    connect(ui_.Label29, &ClickableLabel::clicked, this, [this] { Label29_Click(); });
    ui_.NewOrAdd->installEventFilter(this);
}

bool Picker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.NewOrAdd && event->type() == QEvent::Show)
        decorateFolderList();
    return QObject::eventFilter(watched, event);
}

void Picker::setFavouriteCommands(std::function<void()> load, std::function<void()> save) {
    loadFavourites_ = std::move(load);
    saveFavourites_ = std::move(save);
}

void Picker::NactiFav() {
    if (loadFavourites_)
        loadFavourites_();
}

void Picker::showPanel(int leftTwips) {
    refreshDrives();
    ui_.NewOrAdd->move(twipsToPixels(leftTwips, screenDpi()), 0);
    ui_.NewOrAdd->setVisible(true);
    ui_.NewOrAdd->raise();
}

void Picker::Label26_Click() {
    NactiFav();
    showPanel(2040);
    collection_.showCount();
}

void Picker::pointAt(const QString& folder) {
    setDir1Path(folder);
    // Start-up shows no message: a drive that cannot be opened leaves the drive list as it was.
    if (volumeUsable(volumeRoot(folder)))
        setDriveFromPath(folder);
    setFile1Path(folder);
}

bool Picker::volumeUsable(const QString& root) const {
    return services_.volumeUsable ? services_.volumeUsable(root) : volumeOpens(root);
}

bool Picker::isOpenableFolder(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

// ---- drives

void Picker::refreshDrives() {
    const QString current = drive();
    const QSignalBlocker blocker(ui_.Drive1);
    ui_.Drive1->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            ui_.Drive1->addItem(driveCaption(volume), volume.rootPath());
    }
    ui_.Drive1->setCurrentIndex(ui_.Drive1->findData(current));
}

QString Picker::drive() const {
    return ui_.Drive1->currentData().toString();
}

void Picker::setDriveFromPath(const QString& path) {
    const QString root = volumeRoot(path);
    if (root.isEmpty())
        return;
    int index = ui_.Drive1->findData(root);
    if (index < 0) {
        refreshDrives();
        index = ui_.Drive1->findData(root);
    }
    if (index < 0) {
        // A volume the mount table does not report as ready still holds the folder shown.
        const QSignalBlocker blocker(ui_.Drive1);
        ui_.Drive1->addItem(root, root);
        index = ui_.Drive1->count() - 1;
    }
    ui_.Drive1->setCurrentIndex(index); // runs Drive1_Change when the drive changes
}

void Picker::Drive1_Change() {
    const QString root = drive();
    if (root.isEmpty())
        return;
    if (!volumeUsable(root)) {
        services_.messages.show(
            QStringLiteral("Jednotku %1 nelze otevřít.").arg(root) + kMessageLineBreak +
                QStringLiteral("Není připojena, není připravena nebo k ní nemáte přístup."),
            kStyleError, QStringLiteral("Jednotka není dostupná"));
        // Back to the folder list's drive; that change runs this handler once more. A folder
        // whose own drive fails stops here instead of going round for ever.
        if (!recoveringDrive_) {
            recoveringDrive_ = true;
            setDriveFromPath(dir1Path_);
            recoveringDrive_ = false;
        }
        return;
    }
    // Like a drive's current folder: the folder last shown on this volume, else its root.
    const QString remembered = driveFolders_.value(root);
    setDir1Path(isOpenableFolder(remembered) ? remembered : root);
}

// ---- folders

void Picker::setDir1Path(const QString& path) {
    if (!isOpenableFolder(path))
        return;
    const QString folder = cleanFolder(path);
    if (folder == dir1Path_)
        return;
    dir1Path_ = folder;
    driveFolders_.insert(volumeRoot(folder), folder);
    fillFolderList();
    Dir1_Change();
}

void Picker::fillFolderList() {
    const QSignalBlocker blocker(ui_.Dir1);
    ui_.Dir1->clear();

    // The path's ancestors from the root down to the folder itself, then its subfolders.
    QStringList chain;
    QDir walk(dir1Path_);
    do
        chain.prepend(walk.absolutePath());
    while (walk.cdUp());
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, u' ') + name, ui_.Dir1);
        item->setData(kPathRole, folder);
        ++depth;
    }
    folderChainLength_ = int(chain.size());
    const QFileInfoList subfolders = QDir(dir1Path_).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders) {
        auto* item = new QListWidgetItem(QString(depth * 2, u' ') + subfolder.fileName(), ui_.Dir1);
        item->setData(kPathRole, subfolder.absoluteFilePath());
    }
    ui_.Dir1->setCurrentRow(folderChainLength_ - 1);
    if (ui_.NewOrAdd->isVisible())
        decorateFolderList();
}

void Picker::decorateFolderList() {
    // Looking the icons up in the theme costs more than the rest of start-up's lists, and the
    // panel is hidden at start: a hidden list goes without them until the panel is shown.
    if (openFolderIcon_.isNull()) {
        const QStyle* style = QApplication::style();
        openFolderIcon_ = style->standardIcon(QStyle::SP_DirOpenIcon);
        closedFolderIcon_ = style->standardIcon(QStyle::SP_DirIcon);
    }
    for (int row = 0; row < ui_.Dir1->count(); ++row)
        ui_.Dir1->item(row)->setIcon(row < folderChainLength_ ? openFolderIcon_
                                                              : closedFolderIcon_);
}

void Picker::Dir1_Change() {
    setFile1Path(AddBackslash(dir1Path_));
}

// ---- files

void Picker::setFile1Path(const QString& folder) {
    if (folder.isEmpty())
        return;
    file1Path_ = cleanFolder(folder);
    const QSignalBlocker blocker(ui_.File1);
    ui_.File1->clear();
    // A folder that cannot be listed (removed, unreachable) just shows no files.
    QDir dir(file1Path_);
    dir.setNameFilters(pictureNameFilters());
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    ui_.File1->addItems(dir.entryList());
}

QString Picker::pathOf(int file1Index) const {
    return AddBackslash(file1Path_) + ui_.File1->item(file1Index)->text();
}

void Picker::File1_Click() {
    const int caret = ui_.File1->currentRow();
    if (caret < 0)
        return;
    // The picture at the preview's size; the placeholder when it cannot be shown.
    previewJob_ = services_.pictures.decode({pathOf(caret), ui_.Nahled2->sharpPictureSize()});
    connect(previewJob_.get(), &PictureJob::finished, this, [this](const DecodedPicture& shown) {
        previewJob_.reset();
        ui_.Nahled2->setPicture(shown.image.isNull()
                                    ? shippedPicture(services_.facts.placeholderPicturePath(),
                                                     ui_.Nahled2->sharpPictureSize())
                                    : shown.image);
    });
    ui_.Nahled2->setBusy(true);
}

void Picker::File1_DblClick() {
    const QListWidgetItem* caret = ui_.File1->currentItem();
    if (!caret || !caret->isSelected())
        return; // a Ctrl double-click can leave it unselected
    const bool added = addToCollection({pathOf(ui_.File1->row(caret))});
    collection_.showCount();
    if (added)
        services_.messages.show(QStringLiteral("Soubor byl vložen do kolekce."), kStyleInformation,
                                QStringLiteral("Soubor přidán"));
}

void Picker::Label30_Click() {
    QStringList paths;
    for (int i = 0; i < ui_.File1->count(); ++i) {
        if (ui_.File1->item(i)->isSelected())
            paths.append(pathOf(i));
    }
    const bool added = addToCollection(paths);
    collection_.showCount();
    if (added)
        services_.messages.show(
            QStringList{QStringLiteral("Vybrané soubory byly vloženy do kolekce."),
                        QStringLiteral("Nyní můžete přidat další soubory z vašeho počítače."),
                        QString(),
                        QStringLiteral("Vyberte další soubory a klikněte na PŘIDAT SOUBORY znovu."),
                        QStringLiteral("Až budete s přidávání souborů do kolekce hotovi,"),
                        QStringLiteral("klikněte na STORNO. Poté musíte kolekci souborů uložit"),
                        QStringLiteral("odkazem ULOŽIT KOLEKCI.")}
                .join(kMessageLineBreak),
            kStyleNotice, kAddTitle);
}

bool Picker::addToCollection(const QStringList& paths) {
    // A collection file holds one entry a line: a name with a line break would come back as
    // two bogus entries.
    QStringList addable;
    QStringList refused;
    for (const QString& path : paths)
        (path.contains(u'\r') || path.contains(u'\n') ? refused : addable).append(path);
    const int rejected = collection_.addEntries(addable);
    if (rejected < addable.size())
        collection_.setChanged(true); // from the first added picture, not only at "Storno"
    if (!refused.isEmpty())
        refuseLineBreaks(refused);
    if (rejected == 0)
        return refused.isEmpty();
    // The list is full: what fitted stays, the rest is named so the user knows.
    const QStringList lines = {
        QStringLiteral("Kolekce může obsahovat nejvýše %1 záznamů a je nyní plná.")
            .arg(kMaxCollectionEntries),
        QStringLiteral("Přidáno: %1, nepřidáno: %2 z %3 vybraných souborů.")
            .arg(addable.size() - rejected)
            .arg(rejected)
            .arg(addable.size()),
        QString(),
        QStringLiteral("Další soubory přidáte, až z kolekce některé záznamy smažete, "
                       "nebo je uložte do nové kolekce.")};
    services_.messages.show(lines.join(kMessageLineBreak), kStyleNotice, kAddTitle);
    return false;
}

void Picker::refuseLineBreaks(const QStringList& paths) {
    QStringList lines = {QStringLiteral("Název souboru obsahuje konec řádku, takový soubor nelze "
                                        "do kolekce přidat:")};
    for (QString path : paths)
        lines.append(path.replace(u'\r', u'\u240D').replace(u'\n', u'\u240A')); // shown, not broken
    lines.append(QStringLiteral("Soubor přejmenujte a přidejte jej znovu."));
    services_.messages.show(lines.join(kMessageLineBreak), kStyleNotice, kAddTitle);
}

void Picker::Label29_Click() {
    ui_.NewOrAdd->setVisible(false);
    if (saveFavourites_)
        saveFavourites_();
    schedule_.ScheduleNextChange();
    if (collection_.ListCount() > 0) {
        collection_.setCommandsEnabled(true);
        collection_.setChanged(true);
    }
}

} // namespace vlm
