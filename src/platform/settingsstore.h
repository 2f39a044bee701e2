#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <utility>

namespace vlm {

// The per-user option store of application "vlm", section "options". Keys match without
// regard to case; an absent key reads as the empty text; values round-trip exactly.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    using Values = QList<std::pair<QString, QString>>;

    virtual QString read(const QString& key) const = 0;
    // Stores the values, in this order, with one write. Returns false when they could not be
    // stored; the old store is then intact.
    virtual bool saveAll(const Values& values) = 0;
    bool save(const QString& key, const QString& value) { return saveAll({{key, value}}); }
    // Removes every key of the application.
    virtual bool deleteAll() = 0;
};

// INI file "[options]" with one "key=value" line per option. Values are escaped so that any
// text (CR, LF, backslashes, leading blanks, non-ASCII) comes back exactly; every save
// rewrites the file atomically. A failed save is logged (category vlm.settings).
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(QString filePath);

    // ${XDG_CONFIG_HOME:-~/.config}/vlm/vlm.ini
    static QString defaultPath();

    QString read(const QString& key) const override;
    bool saveAll(const Values& values) override;
    bool deleteAll() override;

    const QString& filePath() const { return filePath_; }

private:
    QString filePath_;
    QSet<QString> failingKeys_; // lower case, already reported
};

} // namespace vlm
