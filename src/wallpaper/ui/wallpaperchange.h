#pragma once

#include <QObject>

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
    CollectionList& collection_;
    Schedule& schedule_;
    ImageBox* nahled_;
    QLabel* posledniZmena_;
    QLabel* label17_;
    QCheckBox* check3_;
};

} // namespace vlm
