#include "desktop/commandline.h"

#include "wallpaper/placement.h"

namespace vlm {
namespace {

// Options QGuiApplication and QApplication take out of the arguments themselves.
const char* const kQtOptionsWithValue[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin",   "qwindowgeometry",
    "qwindowicon",  "qwindowtitle",       "display",       "geometry", "session",
    "style",        "stylesheet",         "name",          "title",    "visual",
    "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "sync", "nograb", "dograb", "widgetcount"};

bool isOneOf(const QString& name, const auto& names) {
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

CommandLine requested(LaunchRequest request, QString problem = {}) {
    CommandLine command;
    command.request = request;
    command.problem = std::move(problem);
    return command;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    if (arguments.join(u' ') == kUninstallSwitch)
        return requested(LaunchRequest::Uninstall);
    const std::pair<const char*, LaunchRequest> ownOptions[] = {
        {"--help", LaunchRequest::Help},
        {"-h", LaunchRequest::Help},
        {"--version", LaunchRequest::Version},
        {"--show", LaunchRequest::Show},
        {"--change-now", LaunchRequest::ChangeNow},
        {"--next", LaunchRequest::ChangeNow},
        {"--previous", LaunchRequest::Previous},
        {"--pause", LaunchRequest::Pause},
        {"--resume", LaunchRequest::Resume},
        {"--toggle-pause", LaunchRequest::TogglePause},
        {"--quit", LaunchRequest::Quit},
    };
    CommandLine result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(u'-') || argument == QLatin1String("-"))
            continue;
        // The options with a value: "--fit span" or "--fit=span".
        const QString option = argument.section(u'=', 0, 0);
        if (option == u"--fit" || option == u"--monitors") {
            const bool attached = argument.contains(u'=');
            if (!attached && i + 1 >= arguments.size())
                return requested(LaunchRequest::Usage,
                                 option + QStringLiteral(" potřebuje hodnotu"));
            const QString value = attached ? argument.section(u'=', 1) : arguments[++i];
            const bool fit = option == u"--fit";
            if (fit ? !placementNamed(value) : !monitorPicturesNamed(value))
                return requested(
                    LaunchRequest::Usage,
                    QStringLiteral("neplatná hodnota %1 %2 (povolené: %3)")
                        .arg(option, value,
                             fit ? QStringLiteral("fill, fit, center, tile, stretch, span, "
                                                  "\"\" = podle prostředí")
                                 : QStringLiteral("same, each")));
            (fit ? result.fit : result.monitors) = value.trimmed().toLower();
            continue;
        }
        const auto own =
            std::find_if(std::begin(ownOptions), std::end(ownOptions),
                         [&](const auto& entry) { return argument == QLatin1String(entry.first); });
        if (own != std::end(ownOptions)) {
            const LaunchRequest request = own->second;
            if (result.request != LaunchRequest::Run && result.request != request &&
                request != LaunchRequest::Help && result.request != LaunchRequest::Help)
                return requested(LaunchRequest::Usage, QStringLiteral("více požadavků najednou: ") +
                                                           arguments.join(u' '));
            if (result.request != LaunchRequest::Help)
                result.request = request;
            continue;
        }
        // Qt accepts its options with one or two dashes, and values after "=" or as the next
        // argument.
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool valueAttached = name.contains(u'=');
        name = name.section(u'=', 0, 0);
        if (isOneOf(name, kQtOptionsWithValue)) {
            if (!valueAttached)
                ++i;
            continue;
        }
        if (!valueAttached && isOneOf(name, kQtFlags))
            continue;
        return requested(LaunchRequest::Usage, QStringLiteral("neznámý přepínač: ") + argument);
    }
    return result;
}

QString usageText() {
    return QStringLiteral(
        "Použití: vlm [PŘEPÍNAČ]\n"
        "Mění tapetu plochy podle kolekce obrázků. Běží nejvýše jedna kopie programu;\n"
        "další spuštění přinese okno běžící kopie do popředí.\n"
        "\n"
        "  --change-now, --next\n"
        "                 změnit tapetu ihned (spustí program, pokud neběží)\n"
        "  --previous     znovu zobrazit předchozí tapetu (spustí program, pokud neběží)\n"
        "  --pause        pozastavit střídání (program, který neběží, spustí pozastavený)\n"
        "  --resume       pokračovat ve střídání (program, který neběží, spustí a pokračuje)\n"
        "  --toggle-pause pozastavit, nebo pokračovat ve střídání\n"
        "  --show         zobrazit nastavení (spustí program, pokud neběží)\n"
        "  --quit         ukončit běžící program (s neuloženou kolekcí se zeptá)\n"
        "  --fit REŽIM    rozložení obrázku: fill (vyplnit), fit (přizpůsobit), center (na\n"
        "                 střed), tile (dlaždice), stretch (roztáhnout), span (přes všechny\n"
        "                 monitory), \"\" (podle prostředí); běžící kopii, jinak uloží\n"
        "  --monitors same|each\n"
        "                 stejný obrázek na všech monitorech, nebo na každém jiný\n"
        "  --help         vypsat tuto nápovědu\n"
        "  --version      vypsat verzi\n"
        "  /uninstall /all /regexp\n"
        "                 odstranit nastavení, tapetu a položku automatického spuštění\n");
}

} // namespace vlm
