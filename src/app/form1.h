#pragma once

#include "platform/ui/twips.h"
#include "services/services.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QMenu;
class QAction;

namespace vlm {

class CollectionList;
class CollectionCommands;
class ControlAccess;
class HideIcon;
class KeyboardAccess;
class Favorites;
class Picker;
class Schedule;
class WallpaperChange;
class HoverEffects;
struct ControlSpec;
class Options;
class PlacementMenu;
class PlacementOptions;
class Quit;
class Startup;
class TickPace;
class Tray;
class UpdateLinks;

// The settings window: builds its controls from the control table, owns the timer and the
// tray menu, hands each owner of control events the controls it uses, and wires the owners
// to one another.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The program's start: uninstall test, restoring options, reopening the collection.
    void Form_Load();

    // Whether start-up left the window hidden (the hide option) or ended the program.
    bool hiddenAtStart() const { return hiddenAtStart_; }
    bool uninstalled() const { return uninstalled_; }
    bool startupDone() const { return startupDone_; }

    // Looks up a control by its name and kind; a control missing from the table ends the
    // program with its name, in every build.
    template <typename T> T* control(const char* name) const {
        T* widget = findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            missingControl(name);
        return widget;
    }

    Services& services() { return services_; }
    QTimer& Timer1() { return timer1_; }
    TickPace& tickPace() { return *tickPace_; }
    QMenu* mnuTray() const { return trayMenu_; }
    QAction* menuItem(const char* name) const; // checked as control() is

    CollectionList& collection() { return *collection_; }
    Schedule& schedule() { return *schedule_; }
    WallpaperChange& change() { return *change_; }
    Options& options() { return *options_; }
    PlacementOptions& placement() { return *placement_; }
    Tray& tray() { return *tray_; }
    Quit& quit() { return *quit_; }
    UpdateLinks& links() { return *links_; }
    HoverEffects& hover() { return *hover_; }
    Picker& picker() { return *picker_; }
    Favorites& favorites() { return *favorites_; }
    CollectionCommands& commands() { return *commands_; }

    // Show: set invisible, then show, so a hidden window appears and a visible one comes to
    // the front.
    void mnuNastaveni_Click();
    // Hide to the tray; the timer and the tray icon stay. Without a tray to bring it back the
    // window stays on screen, and the icon says why.
    void Image9_Click();
    HideIcon& hideIcon() { return *hideIcon_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    [[noreturn]] static void missingControl(const char* name);
    void buildControls();
    void makeAccessible(const ControlSpec& spec, QWidget* widget);
    void buildOwners();
    void wireEvents();
    void centreOnScreen();

    Services services_;
    QTimer timer1_;
    QMenu* trayMenu_ = nullptr;
    ControlAccess* access_ = nullptr;
    std::unique_ptr<CollectionList> collection_;
    std::unique_ptr<Schedule> schedule_;
    std::unique_ptr<Picker> picker_;
    std::unique_ptr<Favorites> favorites_;
    std::unique_ptr<CollectionCommands> commands_;
    std::unique_ptr<WallpaperChange> change_;
    std::unique_ptr<HoverEffects> hover_;
    std::unique_ptr<Options> options_;
    std::unique_ptr<PlacementOptions> placement_;
    std::unique_ptr<PlacementMenu> placementMenu_;
    std::unique_ptr<Tray> tray_;
    std::unique_ptr<Quit> quit_;
    std::unique_ptr<UpdateLinks> links_;
    std::unique_ptr<Startup> startup_;
    std::unique_ptr<TickPace> tickPace_;
    std::unique_ptr<KeyboardAccess> keyboard_;
    std::unique_ptr<HideIcon> hideIcon_;
    bool hiddenAtStart_ = false;
    bool uninstalled_ = false;
    bool startupDone_ = false;

    friend class Startup;
};

} // namespace vlm
