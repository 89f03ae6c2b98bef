#pragma once

#include <QDialog>
#include <array>
#include <memory>

class QRadioButton;

namespace Ui {
class frmTulostusmuodonValinta;
}

namespace tikkeli {

// Asks the member-list print for the list type and the order; the answer goes to
// Printing().TulostusMuoto and Printing().TulostusJarjestys. Closed with the close box, both keep
// their previous values. Controls (see the .ui file): optTulJarj_0..2 Aakkostettu, Postinumero,
// Syntymäpäivä; optPrintType_0..4 Luettelo ... Tarrat tittelillä; cSeuraava.
class frmTulostusmuodonValinta : public QDialog {
    Q_OBJECT
public:
    explicit frmTulostusmuodonValinta(QWidget* parent = nullptr);
    ~frmTulostusmuodonValinta() override;

public slots:
    void done(int result) override;

private:
    void seuraava();

    std::unique_ptr<Ui::frmTulostusmuodonValinta> ui;
    std::array<QRadioButton*, 3> optTulJarj;
    std::array<QRadioButton*, 5> optPrintType;
};

} // namespace tikkeli
