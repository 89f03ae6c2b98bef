#pragma once

#include "db/Database.h"
#include "settings/SettingsForm.h"

#include <QString>
#include <functional>

namespace tikkeli {

class DatabaseSettingsStore;

// Stores what the settings window shows: the two paths into the ini file, everything else into
// table Settings of the chosen database, and all of it into shared state. Field by field: a check
// that refuses a field stops the save with its message and leaves the earlier fields stored.
// Every message goes through the prompter.
class SettingsSaver {
public:
    // What the save needs from the rest of the program. The main window sets the last two.
    struct Services {
        std::function<Database(const QString& path)> open;
        // Brings the database to the current schema; throws on failure.
        std::function<void(Database& db)> upgrade;
        // The start-up's repair road for a damaged file, with its messages; true when a healthy
        // file lies at the path afterwards.
        std::function<bool(const QString& path)> repair;
        // Hands the page margins of shared state to the report engine.
        std::function<void()> applyPageMargins;
        // Sets the main window's caption.
        std::function<void(const QString& caption)> setMainCaption;
    };
    static Services& programServices();

    explicit SettingsSaver(Services services = programServices());

    // form: the window's fields; the backup folder gets its final separator here. False when the
    // save stopped (the reason has been shown); then focusControl() names the field to correct.
    bool save(SettingsForm& form);
    const QString& focusControl() const { return m_focus; }

    // The widest text table Settings holds.
    static constexpr int MaxValueLength = 255;

private:
    bool writeIniPaths(SettingsForm& form);
    bool openDatabase(Database& db);
    bool write(DatabaseSettingsStore& store, const QString& key, const QString& value);
    bool writeText(DatabaseSettingsStore& store, const SettingsForm& form, const QString& control,
                   const QString& key, const QString& label, QString* target);
    bool stop(const QString& message, const QString& control = {});

    Services m_services;
    QString m_focus;
};

} // namespace tikkeli
