#pragma once

#include "base/ScriptedPrompter.h"
#include "db/Database.h"
#include "settings/DatabaseSettingsStore.h"
#include "platform/IniSettingsStore.h"
#include "settings/SettingsSaver.h"
#include "base/SharedState.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace tikkeli::test {

// A temporary ini file and club database, shared state filled with recognisable values, the
// prompter scripted and the save's outside services replaced by recorders.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A database file with an empty Settings table.
    QString makeDatabase(const QString& name);
    // Reads a key of the database store of path; nullopt when the key has no row.
    std::optional<QString> stored(const QString& key, const QString& path = {});
    QString iniValue(const QString& key);
    // Every row of table Settings of path, as "section/key=value" lines.
    QStringList settingsRows(const QString& path = {});

    // Shared state as a user's settings could be, pointing at the fixture's database.
    static void fillState(const QString& databasePath, const QString& backupFolder);
    // A fresh database without settings, shared state refilled and the prompter cleared: the start
    // of each case of a table.
    void startOver();

    QTemporaryDir dir;
    QString dbPath;
    ScriptedPrompter prompter;
    SettingsSaver::Services services;
    QStringList upgraded; // paths UpdateDatabase ran on
    QStringList repaired; // paths the repair road ran on
    bool repairSucceeds = false;
    int marginPushes = 0;
    QStringList captions;
    // The program's own services, as they were before the fixture replaced them.
    SettingsSaver::Services programDefaults;

private:
    QByteArray m_oldIni;
};

} // namespace tikkeli::test
