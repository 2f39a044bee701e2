#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vlm {

// The exact command line that removes the program's traces.
inline const QString kUninstallSwitch = QStringLiteral("/uninstall /all /regexp");

// What the program was asked to do on its command line.
enum class LaunchRequest {
    Run,         // start, or bring the running copy's window forward
    Show,        // --show
    ChangeNow,   // --change-now, --next
    Previous,    // --previous
    Pause,       // --pause
    Resume,      // --resume
    TogglePause, // --toggle-pause
    Quit,        // --quit
    Uninstall,   // the uninstall switch
    Help,        // --help
    Version,     // --version
    Usage,       // an option the program does not know: usage on stderr, exit status 2
};

struct CommandLine {
    LaunchRequest request = LaunchRequest::Run;
    QString problem; // for Usage: what was wrong
    // --fit MODE and --monitors same|each: options for the running copy, or stored for the
    // next start; already checked.
    std::optional<QString> fit;
    std::optional<QString> monitors;
    bool setsOptions() const { return fit || monitors; }
};

// Reads the arguments (without the program's own path). Qt's own options (-platform, -style,
// -session, ...) pass through to Qt; words that are not options are ignored as they always
// were.
CommandLine parseCommandLine(const QStringList& arguments);

// The text --help prints.
QString usageText();

} // namespace vlm
