#pragma once

#include "db/Database.h"
#include "settings/SettingsForm.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class frmAsetukset;
}

namespace tikkeli {

class MailServerLookup;

// The settings window: every setting of the program except the window placements, on six tabs.
// Opened modeless from the main window's menu, and modal by the one-time settings migration.
// Nothing is stored until the save; closing with unsaved edits asks first.
class frmAsetukset : public QDialog {
    Q_OBJECT
public:
    explicit frmAsetukset(QWidget* parent = nullptr);
    ~frmAsetukset() override;

    // The window of the menu: the loaded one brought to the front, else a new modeless one.
    static frmAsetukset* showSettings();

    // The game-animal catalogue; until one is installed its button and menu entry are disabled.
    static void setAnimalCatalogueOpener(std::function<void(QWidget* parent)> opener);
    // The mail-server lookup the window creates on each query (tests install a fake one).
    static void setMailServerLookupFactory(std::function<std::unique_ptr<MailServerLookup>()> factory);

    bool settingsChanged() const { return m_settingsChanged; }
    int currentTab() const;
    // True after a successful save (the result of exec() says the same).
    bool saved() const { return m_saved; }

    // Commands of the window, as its buttons, menus and keys run them.
    bool saveSettings();
    void undo();
    void chooseDatabase();
    void chooseBackupFolder();
    void queryMailServer();
    void openAnimalCatalogue();
    void createNewDatabase();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpControls();
    void wireChanges();

    void load();
    // Holds the club file the settings are of (the one DatabasePath names), when it opens.
    void holdDatabase();
    // The held file was replaced under the window (another program restored a backup over it):
    // the settings, read again from the file now at the path, are shown and nothing typed stays.
    void ReadReplacedFile();
    void fillFontList();
    void fillFields(const SettingsForm& form);
    void selectFont(const QString& family);
    SettingsForm collectForm() const;
    void numericCheck(QLineEdit* field);
    bool mayClose();
    void finish(bool saved);
    void focusControl(const QString& name);
    void setCommandsEnabled(bool on);

    std::unique_ptr<Ui::frmAsetukset> m_ui;
    Database m_db;
    int m_fileReads = 0; // files read again after a replace, so a save can tell it met one
    // The fields as last loaded or saved: the save writes a counter only when its box differs.
    SettingsForm m_loaded;
    // The club file the shown settings were read from (SharedState::SettingsFile); a save stores
    // them only into that file, or into one that holds no settings yet.
    QString m_settingsFile;
    bool m_settingsChanged = false;
    bool m_saved = false;
    bool m_unloading = false;
    bool m_busy = false;
    bool m_filling = false;
};

// The one-time settings migration: the settings window as a modal dialog, filled from the shared
// state. True when the user saved.
bool RunSettingsMigrationDialog();

} // namespace tikkeli
