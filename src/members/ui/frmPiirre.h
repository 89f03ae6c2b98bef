#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tikkeli {

class FeatureCatalogue;
struct FeatureDefinitionInput;

// "Ominaisuudet": the catalogue of feature definitions (table pi) of members and contracts. Edits
// one definition at a time in table order and lists them all in a tree by type and initial.
// Opened modeless from the main window: FormRegistry::open<frmPiirre>("frmPiirre").
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

    QLineEdit* tNimi;
    QPlainTextEdit* tKuvaus;
    std::array<QRadioButton*, 3> optType{};   // indexes 1 and 2
    QCheckBox* chkDate;
    QCheckBox* chkLong;
    QCheckBox* chkCurrency;
    QCheckBox* chkMemo;
    QLineEdit* tDate;
    QLineEdit* tLong;
    QLineEdit* tCurrency;
    QPlainTextEdit* tMemo;
    QTreeWidget* tvwPiirteet;
    QPushButton *cUusi, *cTallenna, *cPoista, *cSelaa, *cPeru, *cEnsimmainen, *cEdellinen, *cSeuraava,
        *cViimeinen, *cSulje;
    QAction *mUusi, *mTallenna, *mPoista, *mSelaa, *mPeru, *mEnsimmainen, *mEdellinen, *mSeuraava, *mViimeinen,
        *mSulje, *mSiivoaVanhatOminaisuudet, *mRapLuettelo;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void load();
    void FillFeatureTree();
    void UpdateFeatureCaption();
    void ShowNewFeatureHint();
    void showCurrent();
    FeatureDefinitionInput collect() const;
    // The write step before leaving, saving or closing a row; false (after telling the user)
    // when the row could not be stored, and the command then stops.
    bool writeCurrent();
    void navigate(int where);
    void kindClicked(QCheckBox* box, QWidget* valueBox, std::optional<bool>& touched);
    void typeClicked(int index);
    void nameEdited(const QString& text);

    std::unique_ptr<FeatureCatalogue> m_catalogue;
    std::optional<bool> m_dateTouched, m_longTouched, m_currencyTouched, m_memoTouched;
};

} // namespace tikkeli
