#pragma once

#include <QAbstractListModel>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QStringList>
#include <QValidator>
#include <functional>

class QCollator;
class QComboBox;
class QListWidget;

namespace vlm {

// A label that reports clicks, as link-style labels and the picture boxes need.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// An image control: holds a picture and shows it stretched to the control
// (or at its own size), with an optional single-line border.
class ImageBox : public ClickableLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

    // Shows picture, and ends the look of work under way.
    void setPicture(const QImage& picture);
    // Asks for a picture with request(): now when the box is visible, else when it shows, so a
    // preview in the tray decodes nothing at all. From then on the box looks busy until
    // setPicture() comes.
    void setPictureWhenSeen(std::function<void()> request);
    const QImage& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }
    // Work under way: the picture in place is veiled, the pointer busy, until setPicture().
    void setBusy(bool busy);
    bool busy() const { return busy_; }
    // Other work on the picture's behalf (a wallpaper change decoding it) looks the same.
    void setWorking(bool working);
    // The size of picture worth keeping for this box: twice its size in device pixels, so the
    // stretched picture stays sharp. A larger picture only costs memory.
    QSize sharpPictureSize() const;

    void setStretch(bool stretch);
    void setBorder(bool border);
    bool hasBorder() const { return frameShape() != QFrame::NoFrame; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refreshPixmap();

    QImage picture_;
    std::function<void()> pending_; // asks for the picture once the box shows
    void showWork();

    bool busy_ = false;
    bool working_ = false;
    bool stretch_ = false;
    bool pixmapStale_ = false; // the picture changed while the box was hidden
};

// A horizontal or vertical line of one colour.
class LineControl : public QFrame {
    Q_OBJECT
public:
    LineControl(QWidget* parent, const QColor& colour);
};

// Limits what the user may type to a number of characters without truncating text that the
// program sets (a text box's maximum length only restricts typing).
class MaxLengthValidator : public QValidator {
    Q_OBJECT
public:
    MaxLengthValidator(int maxLength, QObject* parent)
        : QValidator(parent), maxLength_(maxLength) {}
    void setMaxLength(int maxLength) { maxLength_ = maxLength; }
    int maxLength() const { return maxLength_; }
    State validate(QString& input, int& position) const override;

private:
    int maxLength_;
};

// The entries of a text list box, held as one string list: a list of 32,767 paths costs the
// strings and no item object per entry.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QStringList& entries() const { return entries_; }
    void append(const QStringList& texts);
    void remove(int row);
    void clear();

private:
    QStringList entries_;
};

// A single-selection list box of text entries (model and view in one widget). Entries are
// not editable, and all have the height of one line.
class EntryList : public QListView {
    Q_OBJECT
public:
    explicit EntryList(QWidget* parent = nullptr);

    int count() const { return int(model_->entries().size()); }
    QString text(int row) const { return model_->entries().value(row); }
    const QStringList& entries() const { return model_->entries(); }
    void addItems(const QStringList& texts) { model_->append(texts); }
    void removeRow(int row) { model_->remove(row); }
    void clear() { model_->clear(); }
    // The single selection: -1 when no entry is selected (the caret may still be on one).
    int selectedRow() const;
    // Makes row the current and only selected entry, as a list box's index does; -1 selects
    // nothing.
    void setCurrentRow(int row);

private:
    EntryListModel* model_;
};

// A single-selection list box's Click: it runs when the selection changes (a click, the
// keyboard, the program) and for a click on the entry that already is selected, so choosing the
// same entry again acts again. Moving the caret without selecting (tabbing into the list, Ctrl
// with a click or an arrow key) selects nothing, and only a selected entry counts.
class ListBoxClick : public QObject {
    Q_OBJECT
public:
    // Works on any list view (EntryList, QListWidget); in one with multiple selection Click
    // runs for every change of the selection. A list whose signals are blocked reports nothing,
    // as for its own signals.
    explicit ListBoxClick(QAbstractItemView* list);

    // The selected row, -1 when no entry is selected (also when the caret is on one).
    int selectedRow() const;
    // Selects row (-1: none) as the program sets a list's index: Click runs once, also when
    // the row already was selected.
    void select(int row);

Q_SIGNALS:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* list_;
    quint64 selectionChanges_ = 0;
    quint64 changesBeforePress_ = 0;
};

// Adds an entry to a sorted list box: after the entries that sort before it or equal to it
// under the collator (a list sorts alphabetically for the user's language).
void addSorted(QListWidget* list, const QString& text, const QCollator& collator);

// Sets a text box's text from the program. Like typing, every assignment runs the box's change
// handling (textChanged), also one that leaves the text as it was: the handler may depend on
// more than the text (the interval's unit, the clock).
void setBoxText(QLineEdit* box, const QString& text);

// Sets an editable combo box's text from the program. The item of exactly that text becomes the
// current one (none for another text), so the arrow keys and the wheel step from what is shown;
// no item is chosen, so nothing runs as for the user's pick.
void setComboText(QComboBox* combo, const QString& text);

} // namespace vlm
