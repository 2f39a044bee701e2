#include "app/form1.h"

#include "app/controlbuilder.h"
#include "app/controltable.h"
#include "app/hideicon.h"
#include "app/hovereffects.h"
#include "app/keyboard.h"
#include "app/options.h"
#include "app/quit.h"
#include "app/startup.h"
#include "collection/ui/collectionlist.h"
#include "collection/ui/commands.h"
#include "collection/ui/picker.h"
#include "desktop/ui/placementmenu.h"
#include "desktop/ui/tray.h"
#include "desktop/ui/traymenu.h"
#include "desktop/ui/updatelinks.h"
#include "favorites/ui/favorites.h"
#include "platform/picturesource.h"
#include "platform/ui/controlaccess.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "schedule/ui/tickpace.h"
#include "wallpaper/placementoptions.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

// The artwork lives in the core library's resources; a static library must register them.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace vlm {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

Form1::Form1(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(std::move(services)) {
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora"));
    // Read as the PNG it is: an icon made from a file name finds its reader by content, which
    // loads every image plugin Qt has, a good part of the start-up.
    setWindowIcon(QIcon(QPixmap::fromImage(shippedPicture(QStringLiteral(":/vlm/velmora.png")))));
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSizeF(8.25);
    setFont(font);
    // The design's white window, yellow panel and coloured captions go with the light system
    // colours they were made for: under a dark theme its near-white texts would vanish on them.
    // Inside the window the system colours are light ones; the tray menu and the message boxes,
    // windows of their own, follow the theme.
    setAutoFillBackground(true);
    QPalette palette(QColor(240, 240, 240), Qt::white);
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(role, QGuiApplication::palette().brush(role));
    setPalette(palette);
    const double dpi = screenDpi();
    setFixedSize(twipsToPixels(kForm1Width, dpi), twipsToPixels(kForm1Height, dpi));
    setMouseTracking(true);

    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(100);

    access_ = new ControlAccess(this);
    buildControls();
    trayMenu_ = createTrayMenu(this);
    buildOwners();
    wireEvents();
}

Form1::~Form1() = default;

void Form1::missingControl(const char* name) {
    qFatal("Form1: the control table has no control %s of the kind its owner expects", name);
}

void Form1::buildOwners() {
    // Every control an owner uses is looked up here, once: a name or kind that does not match
    // the table stops the program at its first start instead of when the control is first used.
    collection_ =
        std::make_unique<CollectionList>(this, services_,
                                         CollectionListControls{
                                             .Kolekce = control<EntryList>("Kolekce"),
                                             .Pocet = control<QLabel>("Pocet"),
                                             .AktPozice = control<QLabel>("AktPozice"),
                                             .Label35 = control<QLabel>("Label35"),
                                             .SouborKolekce = control<QLabel>("SouborKolekce"),
                                             .Nahled = control<ImageBox>("Nahled"),
                                             .Changes = control<QCheckBox>("Changes"),
                                             .Label24 = control<QLabel>("Label24"),
                                             .Label26 = control<QLabel>("Label26"),
                                         });
    schedule_ = std::make_unique<Schedule>(this, services_,
                                           ScheduleControls{
                                               .Text1 = control<QLineEdit>("Text1"),
                                               .Combo1 = control<QComboBox>("Combo1"),
                                               .Text2 = control<QLineEdit>("Text2"),
                                               .DalsiZmena = control<QLabel>("DalsiZmena"),
                                               .Label4 = control<QLabel>("Label4"),
                                               .AktCas = control<QLabel>("AktCas"),
                                               .Label5 = control<QLabel>("Label5"),
                                               .mnuZmenaTap = menuItem("mnuZmenaTap"),
                                               .mnuPause = menuItem("mnuPause"),
                                           });
    picker_ = std::make_unique<Picker>(this, services_,
                                       PickerControls{
                                           .NewOrAdd = control<QFrame>("NewOrAdd"),
                                           .Drive1 = control<QComboBox>("Drive1"),
                                           .Dir1 = control<QListWidget>("Dir1"),
                                           .File1 = control<QListWidget>("File1"),
                                           .Nahled2 = control<ImageBox>("Nahled2"),
                                           .Label26 = control<ClickableLabel>("Label26"),
                                           .Label30 = control<ClickableLabel>("Label30"),
                                           .Label29 = control<ClickableLabel>("Label29"),
                                       },
                                       *collection_, *schedule_);
    favorites_ = std::make_unique<Favorites>(this, services_,
                                             FavoritesControls{
                                                 .Favorite = control<QListWidget>("Favorite"),
                                                 .Label31 = control<ClickableLabel>("Label31"),
                                                 .Label32 = control<ClickableLabel>("Label32"),
                                             },
                                             *picker_);
    commands_ =
        std::make_unique<CollectionCommands>(this, services_,
                                             CollectionCommandsControls{
                                                 .AktPozice = control<QLabel>("AktPozice"),
                                                 .Label21 = control<ClickableLabel>("Label21"),
                                                 .Label22 = control<ClickableLabel>("Label22"),
                                                 .Label23 = control<ClickableLabel>("Label23"),
                                                 .Label24 = control<ClickableLabel>("Label24"),
                                             },
                                             *collection_, *picker_, *schedule_);
    placement_ = std::make_unique<PlacementOptions>(services_.settings);
    placementMenu_ = std::make_unique<PlacementMenu>(
        this, *placement_,
        PlacementMenuControls{.mnuPlacement = menuItem("mnuPlacement"),
                              .mnuEachMonitor = menuItem("mnuEachMonitor")});
    change_ =
        std::make_unique<WallpaperChange>(this, services_,
                                          WallpaperChangeControls{
                                              .Nahled = control<ImageBox>("Nahled"),
                                              .PosledniZmena = control<QLabel>("PosledniZmena"),
                                              .Label17 = control<QLabel>("Label17"),
                                              .Check3 = control<QCheckBox>("Check3"),
                                              .mnuChangeNow = menuItem("mnuChangeNow"),
                                              .mnuPrevious = menuItem("mnuPrevious"),
                                          },
                                          *collection_, *schedule_, *placement_);
    options_ = std::make_unique<Options>(this, services_,
                                         OptionsControls{
                                             .Check1 = control<QCheckBox>("Check1"),
                                             .Check2 = control<QCheckBox>("Check2"),
                                             .Check3 = control<QCheckBox>("Check3"),
                                         });
    tray_ = std::make_unique<Tray>(this, services_, trayMenu_, windowIcon());
    quit_ = std::make_unique<Quit>(*this, services_,
                                   QuitControls{
                                       .Image3 = control<ImageBox>("Image3"),
                                       .mnuBar_Quit = menuItem("mnuBar_Quit"),
                                       .PosledniZmena = control<QLabel>("PosledniZmena"),
                                       .DalsiZmena = control<QLabel>("DalsiZmena"),
                                       .Check1 = control<QCheckBox>("Check1"),
                                       .Text1 = control<QLineEdit>("Text1"),
                                       .Combo1 = control<QComboBox>("Combo1"),
                                   },
                                   *collection_, *tray_);
    links_ = std::make_unique<UpdateLinks>(this, services_.messages,
                                           UpdateLinksControls{
                                               .Label3 = control<ClickableLabel>("Label3"),
                                               .Label38 = control<ClickableLabel>("Label38"),
                                           });
    hover_ =
        std::make_unique<HoverEffects>(this, HoverEffectsControls{
                                                 .Image9 = control<ImageBox>("Image9"),
                                                 .Image3 = control<ImageBox>("Image3"),
                                                 .Check1 = control<QCheckBox>("Check1"),
                                                 .Check2 = control<QCheckBox>("Check2"),
                                                 .Kolekce = control<EntryList>("Kolekce"),
                                                 .Favorite = control<QListWidget>("Favorite"),
                                                 .SouborKolekce = control<QLabel>("SouborKolekce"),
                                             });
    keyboard_ = std::make_unique<KeyboardAccess>(this,
                                                 KeyboardControls{
                                                     .Kolekce = control<EntryList>("Kolekce"),
                                                     .Label24 = control<ClickableLabel>("Label24"),
                                                     .NewOrAdd = control<QFrame>("NewOrAdd"),
                                                     .File1 = control<QListWidget>("File1"),
                                                 },
                                                 *access_, *collection_, *picker_);
    hideIcon_ =
        std::make_unique<HideIcon>(this, services_.messages, *tray_, control<ImageBox>("Image9"));
    startup_ =
        std::make_unique<Startup>(*this, StartupControls{
                                             .AktPozice = control<QLabel>("AktPozice"),
                                             .verze = control<QLabel>("verze"),
                                             .Check2 = control<QCheckBox>("Check2"),
                                             .Text1 = control<QLineEdit>("Text1"),
                                             .Combo1 = control<QComboBox>("Combo1"),
                                             .PosledniZmena = control<QLabel>("PosledniZmena"),
                                             .DalsiZmena = control<QLabel>("DalsiZmena"),
                                         });
}

void Form1::buildControls() {
    const double dpi = screenDpi();
    for (const ControlSpec& spec : form1Controls()) {
        // A container comes earlier in the table than the controls it holds.
        QWidget* parent = spec.parent ? control<QWidget>(spec.parent) : this;
        QWidget* widget = createControl(spec, parent);
        widget->setObjectName(text(spec.name));
        widget->setGeometry(twipsToPixels(spec.left, dpi), twipsToPixels(spec.top, dpi),
                            qMax(1, twipsToPixels(spec.width, dpi)),
                            qMax(1, twipsToPixels(spec.height, dpi)));
        if (spec.kind != ControlKind::Line)
            setTextColour(widget, spec.colour);
        widget->setFont(controlFont(font(), spec));
        if (*spec.tooltip)
            widget->setToolTip(text(spec.tooltip));
        makeAccessible(spec, widget);
        if (spec.flags & kDisabled)
            widget->setEnabled(false);
        if (spec.flags & kHidden)
            widget->setVisible(false);
    }
}

void Form1::makeAccessible(const ControlSpec& spec, QWidget* widget) {
    // Labels, check boxes and the frame are named by their captions. Other controls by the
    // label beside them, else by a name of their own, else by their tooltip's design text.
    QString name;
    if (spec.labelledBy) {
        auto* label = control<QLabel>(spec.labelledBy);
        label->setBuddy(widget);
        name = label->text();
    } else if (spec.spokenName) {
        name = text(spec.spokenName);
    } else if (spec.kind != ControlKind::Label && spec.kind != ControlKind::CheckBox &&
               spec.kind != ControlKind::Frame) {
        name = text(spec.tooltip);
    }
    if (!name.isEmpty())
        widget->setAccessibleName(name);
    if (*spec.tooltip)
        access_->describeByToolTip(widget);
    if (spec.kind == ControlKind::ComboBox || spec.kind == ControlKind::DriveList)
        ControlAccess::nameChoiceBox(static_cast<QComboBox*>(widget));
    if (spec.flags & kCommand)
        access_->addCommand(static_cast<ClickableLabel*>(widget), spec.kind == ControlKind::Image
                                                                      ? CommandRole::Button
                                                                      : CommandRole::Link);
}

QAction* Form1::menuItem(const char* name) const {
    auto* item = trayMenu_->findChild<QAction*>(QString::fromLatin1(name));
    if (!item)
        missingControl(name);
    return item;
}

void Form1::wireEvents() {
    tickPace_ = std::make_unique<TickPace>(timer1_, *schedule_, services_.clock, this, trayMenu_);
    connect(control<ImageBox>("Image9"), &ImageBox::clicked, this, [this] { Image9_Click(); });
    connect(menuItem("mnuNastaveni"), &QAction::triggered, this, [this] { mnuNastaveni_Click(); });
    connect(tray_.get(), &Tray::iconNotified, this, [this] { hover_->Form_MouseMove(); });
    connect(tray_.get(), &Tray::showRequested, this, [this] { mnuNastaveni_Click(); });
}

void Form1::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = frameGeometry().size();
    move(area.x() + (area.width() - frame.width()) / 2,
         area.y() + (area.height() - frame.height()) / 2);
}

void Form1::mnuNastaveni_Click() {
    setVisible(false);
    show();
    raise();
    activateWindow();
}

void Form1::Image9_Click() {
    if (hideIcon_->canHide())
        hide();
}

bool Form1::focusNextPrevChild(bool next) {
    if (QWidget* inPanel = keyboard_->nextInPanel(next)) {
        inPanel->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void Form1::closeEvent(QCloseEvent* event) {
    quit_->Form_QueryUnload();
    tray_->NoTray_Click();
    QWidget::closeEvent(event);
    QCoreApplication::quit(); // the only window: closing it ends the program
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Only the bare window background counts; moves over controls are theirs.
    if (!childAt(event->position().toPoint()))
        hover_->Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::Form_Load() {
    // Until start-up has ended the list and the labels are not yet the user's place: a timed
    // change under one of its messages would move on from no entry, and a session saved then
    // would store that as the place.
    schedule_->holdChanges(true);
    startup_->Form_Load();
    schedule_->holdChanges(false);
    startupDone_ = true;
}

} // namespace vlm
