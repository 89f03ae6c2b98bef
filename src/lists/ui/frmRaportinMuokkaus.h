#pragma once

#include "db/Database.h"
#include "lists/cRapMaaritys.h"

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace Ui {
class frmRaportinMuokkaus;
}

namespace tikkeli {

// "Tikkeli - Raportin muokkaus": the club's report templates, one on screen at a time. Every edit
// goes straight into the shown template; Uusi, Kopio, Tallenna, Selaa and leaving a changed
// template store it, Peru returns to the stored one, Poista deletes it after a question. Showing a
// template changes nothing in it. A save that fails says why and keeps the template on screen,
// changed. Opens the configured database itself; when that fails it says so and isLoaded() is
// false: do not show it then. Layout in frmRaportinMuokkaus.ui; the column rows are made here.
class frmRaportinMuokkaus : public QDialog {
    Q_OBJECT
public:
    explicit frmRaportinMuokkaus(QWidget* parent = nullptr);
    ~frmRaportinMuokkaus() override;

    bool isLoaded() const { return m_loaded; }
    // The template on screen (the placeholder while none is).
    cRapMaaritys& current() { return *m_current; }
    int rowCount() const { return int(m_rows.size()); }

    void cUusi_Click();
    void cKopio_Click();
    void cTallenna_Click();
    void cPoista_Click();
    void cSelaa_Click();
    void cPeru_Click();
    void cSulje_Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QLineEdit* header;
        QComboBox* field;
        QLineEdit* width;
        QPushButton* remove;
    };

    void FillTemplateList();
    // The file was replaced under the window (another program restored a backup over it): the
    // templates are read again from the file now at the path, the same one shown where that file
    // has it, and nothing typed against the old file is kept.
    void ReadReplacedFile();
    void showTemplate();
    void setEditable(bool editable);
    void addRow();
    void removeLastRow();
    void fillRow(int index, const DataPrinterColumn& column);
    // What the caller does after the save: stays with the template (Tallenna, Selaa), moves on to
    // another one (Uusi, Kopio, the list) or closes the window.
    enum class Then { Stay, Move, Close };
    // Stores the shown template when it changed, as the save of `then` does: true when the caller
    // may go on (stored, or the user chose to go on without it); false (after saying why) when not.
    bool saveCurrent(Then then = Then::Stay);
    // The edit in progress (text an input method holds, a box whose change was not seen) into
    // the template.
    void takeEdits();
    void removeFocusedRow();
    // Stores a new template at once and shows it; false (after saying why) when the save failed.
    bool showNew(std::unique_ptr<cRapMaaritys> record);
    // Makes record the one on screen; the one before is let go without another save.
    void replaceCurrent(std::unique_ptr<cRapMaaritys> record);
    void nameEdited(const QString& text);
    void lstRaps_Click();
    // Closing: a changed template is stored first; when that fails the user may close without it.
    bool mayClose();

    std::unique_ptr<Ui::frmRaportinMuokkaus> ui;
    QMenuBar* m_menuBar = nullptr;
    Database m_db;
    bool m_loaded = false;
    bool m_filling = false;
    bool m_listing = false; // the list is being rewritten: its clicks are not the user's
    bool m_closing = false;
    cRapMaaritys m_placeholder;
    std::unique_ptr<cRapMaaritys> m_record; // the real template on screen, if any
    cRapMaaritys* m_current = &m_placeholder;
    std::vector<Row> m_rows;
};

} // namespace tikkeli
