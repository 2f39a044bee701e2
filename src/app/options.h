#pragma once

#include <QObject>

class QCheckBox;

namespace vlm {

struct Services;

struct OptionsControls {
    QCheckBox* Check1; // start with the session
    QCheckBox* Check2; // start hidden
    QCheckBox* Check3; // random order
};

// The three option boxes: each stores its state when it changes; the first also turns the
// start-with-the-session entry on or off.
class Options : public QObject {
    Q_OBJECT
public:
    Options(QObject* parent, Services& services, const OptionsControls& ui);

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Command1_Click(); // autostart on
    void Command2_Click(); // autostart off

    // Restores the boxes from the stored options; a box whose state changes runs its click
    // handling, an absent or malformed value leaves the box as it is.
    void restore();
    // Applies the autostart choice again, whatever restore() did.
    void applyAutostart();

private:
    void store(const char* key, const QCheckBox* box);

    Services& services_;
    const OptionsControls ui_;
};

} // namespace vlm
