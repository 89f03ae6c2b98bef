#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmTulJarjValinta;
}

namespace tikkeli {

// Asks the print order (alphabetical, postcode, birth date) into Printing().TulostusJarjestys on
// "Seuraava >>"; the close box cancels and leaves the previous order.
class frmTulJarjValinta : public QDialog {
    Q_OBJECT
public:
    explicit frmTulJarjValinta(QWidget* parent = nullptr);
    ~frmTulJarjValinta() override;

private:
    void seuraava();
    std::unique_ptr<Ui::frmTulJarjValinta> ui;
};

} // namespace tikkeli
