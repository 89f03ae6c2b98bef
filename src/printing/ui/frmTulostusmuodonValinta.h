#pragma once

#include <QDialog>
#include <array>

class QPushButton;
class QRadioButton;

namespace tikkeli {

// Asks the member-list print for the list type and the order; the answer goes to
// Printing().TulostusMuoto and Printing().TulostusJarjestys. Closed with the close box, both keep
// their previous values.
class frmTulostusmuodonValinta : public QDialog {
    Q_OBJECT
public:
    explicit frmTulostusmuodonValinta(QWidget* parent = nullptr);

    std::array<QRadioButton*, 3> optTulJarj;      // Aakkostettu, Postinumero, Syntymäpäivä
    std::array<QRadioButton*, 5> optPrintType;    // Luettelo ... Tarrat tittelillä
    QPushButton* cSeuraava;

public slots:
    void done(int result) override;

private:
    void seuraava();
};

} // namespace tikkeli
