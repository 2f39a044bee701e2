#include "desktop/commandline.h"

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

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    if (arguments.join(u' ') == kUninstallSwitch)
        return {LaunchRequest::Uninstall, {}};
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
        const auto own =
            std::find_if(std::begin(ownOptions), std::end(ownOptions),
                         [&](const auto& entry) { return argument == QLatin1String(entry.first); });
        if (own != std::end(ownOptions)) {
            const LaunchRequest request = own->second;
            if (result.request != LaunchRequest::Run && result.request != request &&
                request != LaunchRequest::Help && result.request != LaunchRequest::Help)
                return {LaunchRequest::Usage,
                        QStringLiteral("více požadavků najednou: ") + arguments.join(u' ')};
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
        return {LaunchRequest::Usage, QStringLiteral("neznámý přepínač: ") + argument};
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
        "  --help         vypsat tuto nápovědu\n"
        "  --version      vypsat verzi\n"
        "  /uninstall /all /regexp\n"
        "                 odstranit nastavení, tapetu a položku automatického spuštění\n");
}

} // namespace vlm
