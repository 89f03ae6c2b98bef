#pragma once

#include "db/Database.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tikkeli {

// "Tikkeli - Moniliitos": attaches one member feature with the same values to the marked members.
// Opened modeless from the member window: frmMoniliitos::open().
class frmMoniliitos : public QWidget {
    Q_OBJECT
public:
    explicit frmMoniliitos(QWidget* parent = nullptr);
    ~frmMoniliitos() override;

    // The loaded window brought to the front, else a new one.
    static frmMoniliitos* open();

    bool loaded() const { return m_db.isOpen(); }

    void valitseKaikki();
    void eiValintoja();
    // The feature chosen in lstAllPt (click): shows its description and offers its enabled kinds.
    void valitseOminaisuus();
    void lisaaValituille();

    QListWidget* lstJR;
    QPushButton* cValitseKaikki;
    QPushButton* cEiValintoja;
    QListWidget* lstAllPt;
    QLabel* lblKuvaus;
    QLabel* lKuvaus;
    QLabel* lblDate;
    QLabel* lblLong;
    QLabel* lblCurrency;
    QLabel* lblMemo;
    QLineEdit* tDate;
    QLineEdit* tLong;
    QLineEdit* tCurrency;
    QPlainTextEdit* tMemo;
    QCheckBox* chkEstaToistot;
    QPushButton* cLisaa;
    QPushButton* cSulje;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void load();
    void FillMemberList();
    void FillFeatureList();
    void resetValueInputs();

    Database m_db;
};

} // namespace tikkeli
