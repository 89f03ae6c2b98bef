#pragma once

#include "db/RecordCatalogue.h"

#include <QDialog>
#include <memory>

class QTreeWidgetItem;

namespace Ui {
class frmElaimet;
}

namespace tikkeli {

class AnimalCatalogue;

// "Eläimet": the game-animal catalogue (table el) that contracts choose their animals from.
// Edits one animal at a time in table order and lists all names in a tree by initial. The
// settings window opens it modally (showModal). Closing it, by Sulje, Esc or the close box,
// writes the name typed; a name that cannot be stored keeps the window open with the reason.
class frmElaimet : public QDialog {
    Q_OBJECT
public:
    // Builds the window over parent and shows it modally; nothing when the load failed (the
    // user has been told).
    static void showModal(QWidget* parent);

    explicit frmElaimet(QWidget* parent = nullptr);
    ~frmElaimet() override;

    // Commands, as the buttons, menu entries and keys run them.
    void cUusi_Click();
    void cTallenna_Click();
    void cPoista_Click();
    void cSelaa_Click();
    void cPeru_Click();
    void cEnsimmainen_Click();
    void cEdellinen_Click();
    void cSeuraava_Click();
    void cViimeinen_Click();
    void cSulje_Click();

    // False when the load failed; the window has told the user.
    bool loaded() const { return m_catalogue != nullptr; }

protected:
    // Every way of closing passes here: the typed name is written first.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void load();
    // The file was replaced under the window (another program restored a backup over it): what was
    // typed belongs to the file that is gone, so the catalogue is read again from the file now at
    // the path, on the same animal where that file has it.
    void ReadReplacedFile();
    void UpdateAnimalCaption();
    void FillAnimalTree();
    // The shown animal's name and the caption's count as stored.
    void showCurrent();
    // The write step before leaving, saving or closing a row; false (after telling the user)
    // when the name could not be stored, and the command then stops with the name on screen.
    bool writeCurrent();
    void navigate(RecordCatalogue::Move where);

    std::unique_ptr<Ui::frmElaimet> ui;
    std::unique_ptr<AnimalCatalogue> m_catalogue;
};

} // namespace tikkeli
