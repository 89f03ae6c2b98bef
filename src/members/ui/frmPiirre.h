#pragma once

#include "members/FeatureValueText.h"

#include <QWidget>
#include <memory>
#include <optional>

class QAction;
class QTreeWidgetItem;

namespace Ui {
class frmPiirre;
}

namespace tikkeli {

class FeatureCatalogue;
struct FeatureDefinitionInput;

// "Ominaisuudet": the catalogue of feature definitions (table pi) of members and contracts. Edits
// one definition at a time in table order and lists them all in a tree by type and initial.
// Opened modeless from the main window: FormRegistry::open<frmPiirre>("frmPiirre"). Layout in
// frmPiirre.ui; the menu and its keys are made here.
class frmPiirre : public QWidget {
    Q_OBJECT
public:
    explicit frmPiirre(QWidget* parent = nullptr);
    ~frmPiirre() override;

    // False when the load failed; the window has told the user and closes itself.
    bool loaded() const { return m_catalogue != nullptr; }

    // Commands, as the buttons, menu entries and keys run them.
    void uusi();
    bool tallenna();
    void poista();
    void selaa();
    void peru();
    void ensimmainen();
    void edellinen();
    void seuraava();
    void viimeinen();
    void siivoaVanhatOminaisuudet();
    void tulostaLuettelo();
    // A node of the tree chosen by click or Enter.
    void valitseSolmu(QTreeWidgetItem* node);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void connectControls();
    void load();
    // The file was replaced under the window (another program restored a backup over it): what was
    // typed belongs to the file that is gone, so the catalogue is read again from the file now at
    // the path, on the same feature where that file has it.
    void ReadReplacedFile();
    void FillFeatureTree();
    void UpdateFeatureCaption();
    void ShowNewFeatureHint();
    void showCurrent();
    FeatureDefinitionInput collect() const;
    // The write step before leaving, saving or closing a row; false (after telling the user)
    // when the row could not be stored, and the command then stops.
    bool writeCurrent();
    void navigate(int where);
    void kindClicked(FeatureValueText::Kind kind, bool on);
    std::optional<bool>& touched(FeatureValueText::Kind kind);
    void typeClicked(int index);
    void nameEdited(const QString& text);

    std::unique_ptr<Ui::frmPiirre> ui;
    QAction *mUusi, *mTallenna, *mPoista, *mSelaa, *mPeru, *mEnsimmainen, *mEdellinen, *mSeuraava, *mViimeinen, *mSulje,
        *mSiivoaVanhatOminaisuudet, *mRapLuettelo;
    std::unique_ptr<FeatureCatalogue> m_catalogue;
    std::optional<bool> m_dateTouched, m_longTouched, m_currencyTouched, m_memoTouched;
};

} // namespace tikkeli
