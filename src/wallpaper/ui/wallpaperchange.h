#pragma once

#include <QObject>
#include <QTimer>

class QCheckBox;
class QLabel;

namespace vlm {

class CollectionList;
class Form1;
class Schedule;
class ImageBox;
struct Services;

// One wallpaper change: applies what the preview shows, then moves the collection on.
class WallpaperChange : public QObject {
    Q_OBJECT
public:
    explicit WallpaperChange(Form1& form);

    void Zmenit_Click();
    void Nahled_Click() { Zmenit_Click(); }
    void mnuChangeNow_Click() { Zmenit_Click(); }

private:
    Services& services_;
    // A change asked for while a picture loads runs once the load is over.
    bool changeWaiting_ = false;
    QTimer retry_;
    CollectionList& collection_;
    Schedule& schedule_;
    ImageBox* nahled_;
    QLabel* posledniZmena_;
    QLabel* label17_;
    QCheckBox* check3_;
};

} // namespace vlm
