#pragma once

#include "db/Database.h"
#include "base/SharedState.h"
#include "settings/SettingsForm.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace tikkeli {

class DatabaseSettingsStore;

// Stores what the settings window shows: the two paths into the ini file, everything else into
// table Settings of the chosen database, and all of it into shared state. The save runs in steps:
// every field is checked first (the first refused field stops it with its message); then the
// chosen file is opened, repaired or upgraded as needed; then every key goes into the database in
// one transaction (a failure leaves the old keys); the ini file is written last, and shared state
// follows only a complete save. Every message goes through the prompter.
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

    // The fields as the window showed them before the user's edits. A number counter (invoice,
    // member, contract) is written only when its box differs from this, since other windows move
    // the counters while the settings window stays open; without it every counter is written.
    void setLoadedForm(const SettingsForm& loaded) { m_loaded = loaded; }
    // The club file the window's settings were read from (SharedState::SettingsFile of what it
    // filled them from); without it, the file shared state's settings were read from. A file that
    // holds settings of its own takes only settings read from it.
    void setSettingsFile(const QString& file) { m_settingsFile = file; }

    // form: the window's fields; the backup folder gets its final separator here and the counters
    // show afterwards what the database holds. False when the save stopped (the reason has been
    // shown); then focusControl() names the field to correct.
    bool save(SettingsForm& form);
    const QString& focusControl() const { return m_focus; }

    // The widest text table Settings holds.
    static constexpr int MaxValueLength = 255;

private:
    // One key of table Settings with the text the save writes and where its value goes in
    // shared state.
    struct Entry {
        QString key;
        QString control;
        QString text;
        std::function<void(SharedState&)> apply;
        // Counters only: the number in the box, and whether the user changed the box.
        std::optional<qint32> counter;
        qint32 SharedState::*counterTarget = nullptr;
        bool counterEdited = false;
        QString counterLabel;
    };

    bool checkPaths(SettingsForm& form);
    bool readFields(const SettingsForm& form, std::vector<Entry>& entries);
    bool openDatabase(const QString& path, Database& db);
    bool writesOverWhatWasRead(const Database& db, DatabaseSettingsStore& store);
    bool settleCounters(DatabaseSettingsStore& store, std::vector<Entry>& entries);
    bool writeDatabase(Database& db, DatabaseSettingsStore& store, const std::vector<Entry>& entries);
    bool writeIniPaths(const SettingsForm& form);
    void applyToState(const SettingsForm& form, const std::vector<Entry>& entries, const QString& savedInto);
    bool stop(const QString& message, const QString& control = {});

    Services m_services;
    std::optional<SettingsForm> m_loaded;
    std::optional<QString> m_settingsFile;
    QString m_focus;
};

} // namespace tikkeli
