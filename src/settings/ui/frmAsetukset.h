#pragma once

#include "settings/SettingsForm.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

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
    void buildUi();
    QWidget* buildClubTab();
    QWidget* buildContactTab();
    QWidget* buildPrintTab();
    QWidget* buildProgramTab();
    QWidget* buildInternetTab();
    QWidget* buildTextsTab();
    QLineEdit* lineEdit(const char* name, const QString& toolTip = {});
    QCheckBox* checkBox(const char* name, const QString& text);
    void wireChanges();

    void load();
    void fillFontList();
    void fillFields(const SettingsForm& form);
    void selectFont(const QString& family);
    SettingsForm collectForm() const;
    void numericCheck(QLineEdit* field);
    bool mayClose();
    void finish(bool saved);
    void focusControl(const QString& name);
    void setCommandsEnabled(bool on);

    QTabWidget* TabStrip1 = nullptr;
    QProgressBar* pBar1 = nullptr;
    QPushButton* cTallenna = nullptr;
    QPushButton* cPeru = nullptr;
    QPushButton* cSulje = nullptr;
    QPushButton* cElaimet = nullptr;
    QPushButton* cTietokantavalita = nullptr;
    QPushButton* cVarmistusvalita = nullptr;
    QPushButton* cMXQuery = nullptr;
    QComboBox* cmbFonts = nullptr;
    QComboBox* cmbFonttiKoko = nullptr;
    QLineEdit* tVarmistus = nullptr;
    QLineEdit* tTietokanta = nullptr;
    QLineEdit* tEmail = nullptr;
    QLineEdit* tSMTP = nullptr;
    QLineEdit* tMuistutusAlkuteksti = nullptr;
    QLineEdit* tMuistutusLopputeksti = nullptr;
    QAction* mElaimet = nullptr;
    QAction* mTallenna = nullptr;
    QAction* mPeru = nullptr;
    QAction* mSulje = nullptr;
    QAction* mUusiTietokanta = nullptr;

    // The fields as last loaded or saved: the save writes a counter only when its box differs.
    SettingsForm m_loaded;
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
