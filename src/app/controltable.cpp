#include "app/controltable.h"

#include <array>

namespace vlm {
namespace {

constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kDarkBlue = qRgb(0, 0, 192);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kSilver = qRgb(192, 192, 192);
constexpr ControlKind L = ControlKind::Label;

// The window as designed, container by container, top to bottom. Labels that show texts set at
// run time (verze, Label17, SouborKolekce) are as wide as the free space beside them, so their
// texts are not clipped.
constexpr std::array kControls = {
    // Separator lines.
    ControlSpec{"Line1", ControlKind::Line, nullptr, 120, 720, 7800, 15, "", "", 0, kBlack, 0},
    ControlSpec{"Line4", ControlKind::Line, nullptr, 120, 1080, 7800, 15, "", "", 0, kBlack, 0},
    ControlSpec{"Line3", ControlKind::Line, nullptr, 120, 5760, 7800, 15, "", "", 0, kBlack, 0},
    ControlSpec{"Line2", ControlKind::Line, nullptr, 120, 7440, 7800, 15, "", "", 0, kBlack, 0},
    ControlSpec{"Line6", ControlKind::Line, nullptr, 3120, 720, 15, 360, "", "", 0, kSilver, 0},
    ControlSpec{"Line7", ControlKind::Line, nullptr, 5640, 720, 15, 360, "", "", 0, kSilver, 0},

    // Header band.
    ControlSpec{"Image1", ControlKind::Image, nullptr, 0, 0, 480, 480, ":/vlm/velmora.png", "", 0,
                kDefaultColour, 0},
    ControlSpec{"Label1", L, nullptr, 600, 0, 3975, 570, "Velmora", "", 20.25, kGreen, kBold},
    ControlSpec{"Label2", L, nullptr, 3840, 390, 4065, 225,
                "aplikace pro snadné měnění tapet na pozadí Windows", "", 0, kDefaultColour, 0},
    ControlSpec{"verze", L, nullptr, 6840, 240, 1095, 225, "verze", "", 0, kGreen, kRightAligned},

    // Collection commands.
    ControlSpec{"Label21", L, nullptr, 480, 770, 2055, 285, "vytvořit novou kolekci",
                "vytvořit novou kolekci, ve které budou definovány obrázky a fotografie, které "
                "se budou používat jako tapety",
                9.75, kBlue, kBold | kCommand},
    ControlSpec{"Label23", L, nullptr, 3720, 770, 1260, 285, "uložit kolekci",
                "uložit změny v kolekci do souboru", 9.75, kBlue, kBold | kCommand},
    ControlSpec{"Label22", L, nullptr, 6120, 770, 1350, 285, "nahrát kolekci",
                "nahrát kolekci ze souboru", 9.75, kBlue, kBold | kCommand},

    // Collection band.
    ControlSpec{"Label34", L, nullptr, 120, 1170, 2145, 240, "aktuálně otevřená kolekce:", "", 8.25,
                kDefaultColour, kBold},
    ControlSpec{"SouborKolekce", L, nullptr, 120, 1370, 7800, 225, "SouborKolekce##AutoInput", "",
                0, kDefaultColour, 0},
    ControlSpec{"Label25", L, nullptr, 120, 1560, 1440, 225, "záznamů v kolekci:", "", 0,
                kDefaultColour, 0},
    // The count and the position reach 32767: wide enough for five digits, left-aligned so that
    // they stay beside their captions.
    ControlSpec{"Pocet", L, nullptr, 1560, 1545, 900, 240, ".__", "", 8.25, kDarkBlue, kBold},
    ControlSpec{"Label16", L, nullptr, 3720, 1560, 660, 225, "aktuální:", "", 0, kDefaultColour, 0},
    ControlSpec{"AktPozice", L, nullptr, 4440, 1560, 600, 225, ".__", "", 0, kDarkBlue, 0},
    ControlSpec{"Kolekce", ControlKind::ListBox, nullptr, 120, 1800, 4575, 3630, "",
                "soubory v kolekci", 0, kDefaultColour, 0},
    ControlSpec{"Label17", L, nullptr, 4800, 1800, 3135, 195, "pc_info", "", 6.75, kBlack, 0},
    ControlSpec{"Nahled", ControlKind::Image, nullptr, 4800, 2040, 3135, 2895, "",
                "kliknutím změníte tapetu ihned", 0, kDefaultColour, kStretch | kBorder | kCommand},
    ControlSpec{"Label14", L, nullptr, 4800, 4920, 2625, 195,
                "klepnutím na náhled změníte tapetu ihned", "", 6.75, kDefaultColour, 0},
    ControlSpec{"Label26", L, nullptr, 120, 5400, 1515, 225, "přidat další soubory", "", 0, kBlue,
                kDisabled | kCommand},
    ControlSpec{"Label24", L, nullptr, 2880, 5400, 1800, 225, "smazat vybraný záznam",
                "vymaže aktuálně zvolený soubor z kolekce", 0, kRed,
                kRightAligned | kDisabled | kCommand},

    // Clock band.
    ControlSpec{"Label36", L, nullptr, 120, 5880, 525, 225, "nyní je", "", 0, kDefaultColour, 0},
    ControlSpec{"AktCas", L, nullptr, 720, 5880, 780, 240, "00:00:00", "", 8.25, kDarkBlue, kBold},
    ControlSpec{"Label20", L, nullptr, 1560, 5880, 2475, 225, "a další změna tapety proběhne v ",
                "", 0, kDefaultColour, 0},
    // Wider than designed, up to Label5: paused, it says "pozastaveno" in place of Label4.
    ControlSpec{"DalsiZmena", L, nullptr, 4040, 5880, 1650, 240, "00:00:00", "", 8.25, kDarkBlue,
                kBold},
    ControlSpec{"Label4", L, nullptr, 4920, 5880, 690, 225, "což je za", "", 0, kDefaultColour, 0},
    ControlSpec{"Label5", L, nullptr, 5730, 5880, 780, 240, "00:00:00", "", 8.25, kDarkBlue, kBold},

    // Settings band.
    ControlSpec{"Frame1", ControlKind::Frame, nullptr, 120, 6120, 6375, 1215, "nastavení aplikace",
                "", 8.25, kDefaultColour, kBold},
    ControlSpec{"Label13", L, "Frame1", 120, 240, 4080, 225,
                "tapeta na pozadí plochy se bude automaticky měnit za", "", 0, kDefaultColour, 0},
    ControlSpec{"Text1", ControlKind::TextBox, "Frame1", 4320, 240, 375, 285, "30",
                "zde zadejte číselnou hodnotu", 0, kDefaultColour, 0, "Label13"},
    ControlSpec{"Combo1", ControlKind::ComboBox, "Frame1", 4800, 240, 1335, 345, "minut",
                "vyberte jednotky času", 0, kDefaultColour, 0},
    ControlSpec{"Check1", ControlKind::CheckBox, "Frame1", 120, 480, 3375, 225,
                "spouštět při startu operačního systému",
                "zaškrtněte, chcete-li aplikaci Velmora spouštět při startu operačního systému", 0,
                kDefaultColour, kChecked},
    ControlSpec{"Check3", ControlKind::CheckBox, "Frame1", 120, 720, 2895, 225,
                "obrázky měnit v náhodném pořadí",
                "zaškrtněte, chcete-li obrázky z kolekce vybírat náhodně", 0, kDefaultColour, 0},
    ControlSpec{"Check2", ControlKind::CheckBox, "Frame1", 120, 960, 3255, 225,
                "schovat toto okno po spuštění aplikace",
                "okno s nastavením aplikace nebude po spuštění aplikace zobrazováno", 0,
                kDefaultColour, kChecked},
    ControlSpec{"Label3", L, "Frame1", 4980, 960, 1245, 225, "najít nové verze",
                "na internetu vyhledá nové verze aplikace Velmora", 0, kBlue,
                kRightAligned | kCommand},

    // Icons and footer.
    ControlSpec{"Image9", ControlKind::Image, nullptr, 6720, 6840, 480, 480, ":/vlm/hide.png",
                "schovat okno aplikace (aktivace = dvojkliknutí na ikonku aplikace v sysTray)", 0,
                kDefaultColour, kCommand},
    ControlSpec{"Image3", ControlKind::Image, nullptr, 7440, 6840, 480, 480, ":/vlm/quit.bmp",
                "Ukončit aplikaci", 0, kDefaultColour, kCommand},
    ControlSpec{"Label37", L, nullptr, 120, 7440, 4515, 225,
                "© Velmora – tvůrci aplikace, všechna práva vyhrazena", "", 0, kDefaultColour, 0},
    ControlSpec{"Label38", L, nullptr, 6195, 7440, 1710, 225, "www.velmora.example",
                "odkaz na web aplikace", 0, kBlue, kRightAligned | kCommand},

    // Hidden helpers that hold state.
    ControlSpec{"Text2", ControlKind::TextBox, nullptr, 4680, 0, 735, 330, "", "", 0,
                kDefaultColour, kHidden},
    ControlSpec{"Changes", ControlKind::CheckBox, nullptr, 120, 120, 2175, 225,
                "změny (pomocný;skrytý)", "", 0, kDefaultColour, kHidden},
    ControlSpec{"Label35", L, nullptr, 0, 10320, 495, 195, "pc_info", "", 6.75, kBlack, kHidden},
    ControlSpec{"Label15", L, nullptr, 0, 10440, 2430, 225, "poslední změna tapety proběhla:", "",
                0, kDefaultColour, kHidden},
    ControlSpec{"PosledniZmena", L, nullptr, 2520, 10425, 780, 240, "00:00:00", "", 8.25, kDarkBlue,
                kBold | kHidden},

    // The file picker panel and its children.
    ControlSpec{"NewOrAdd", ControlKind::Panel, nullptr, 8280, 1800, 5055, 7695, "", "", 0,
                kDefaultColour, kHidden, nullptr, "přidat soubory do kolekce"},
    ControlSpec{"Image5", ControlKind::Image, "NewOrAdd", 120, 120, 585, 480, ":/vlm/picker.png",
                "", 0, kDefaultColour, kStretch},
    ControlSpec{"Label28", L, "NewOrAdd", 840, 240, 3000, 345, "přidat soubory do kolekce", "", 12,
                kGreen, kBold},
    ControlSpec{"Label33", L, "NewOrAdd", 120, 600, 2970, 225,
                "oblíbená umístění obrázků a fotografií", "", 0, kDefaultColour, 0},
    ControlSpec{"Favorite", ControlKind::ListBox, "NewOrAdd", 120, 840, 4815, 930, "",
                "oblíbená umístění", 0, kDefaultColour, kSorted},
    ControlSpec{"Label31", L, "NewOrAdd", 120, 1800, 3105, 270,
                "přidat aktuální složku k oblíbeným", "", 9.75, kBlue, kCommand},
    ControlSpec{"Label32", L, "NewOrAdd", 3480, 1800, 1410, 270, "smazat umístění", "", 9.75, kRed,
                kRightAligned | kCommand},
    ControlSpec{"Drive1", ControlKind::DriveList, "NewOrAdd", 120, 2160, 4815, 345, "", "", 0,
                kDefaultColour, 0, nullptr, "disk"},
    ControlSpec{"Dir1", ControlKind::FolderList, "NewOrAdd", 120, 2640, 4815, 2895, "", "", 0,
                kDefaultColour, 0, nullptr, "složky"},
    ControlSpec{"File1", ControlKind::FileList, "NewOrAdd", 120, 5640, 2895, 1605, "",
                "vyberte kliknutím soubor nebo i více souborů pomocí klávesy SHIFT nebo CTRL nebo "
                "dvojklikněte pro vložení aktuálního souboru",
                0, kDefaultColour, 0},
    ControlSpec{"Nahled2", ControlKind::Image, "NewOrAdd", 3120, 5640, 1815, 1695, "",
                "náhled obrázku", 0, kDefaultColour, kStretch | kBorder},
    ControlSpec{"Label30", L, "NewOrAdd", 120, 7320, 2265, 285, "Přidat výběr do kolekce", "", 9.75,
                kBlue, kBold | kCommand},
    ControlSpec{"Label29", L, "NewOrAdd", 4320, 7320, 630, 285, "Storno", "Návrat zpět", 9.75, kRed,
                kBold | kRightAligned | kCommand},
};

} // namespace

std::span<const ControlSpec> form1Controls() {
    return kControls;
}

} // namespace vlm
