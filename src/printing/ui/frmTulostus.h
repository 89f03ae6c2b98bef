#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmTulostus;
}

namespace tikkeli {

// The print dialog shown before every report print: preview window or printer, the number of
// copies and the printer setup. Its answer goes to Printing().PrintDestination,
// Printing().PrintCancelled and State().PrintCopies. Controls (see the .ui file): cmbTulostusLaite,
// tKopioita, cTulosta, cTulostin, cPeruTulostus.
class frmTulostus : public QDialog {
    Q_OBJECT
public:
    explicit frmTulostus(QWidget* parent = nullptr);
    ~frmTulostus() override;

    // 1: the printer only; anything else: "Ikkuna" (0) and "Tulostin" (1). The first is selected.
    void SetDestinations(int mode);

public slots:
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tulosta();
    void printerSetup();
    // Whether a print to the printer may go on: a PDF file chosen for it earlier that exists is
    // replaced only when the user says so, and never when it is a club's database. Either refusal
    // leaves the dialog open for another choice.
    bool mayReplacePrintFile();

    std::unique_ptr<Ui::frmTulostus> ui;
    QString m_fileChosenHere; // the PDF file the printer dialog of this dialog chose
};

} // namespace tikkeli
