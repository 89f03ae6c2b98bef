#pragma once

#include <QDialog>
#include <QString>
#include <QtGlobal>
#include <memory>

namespace Ui {
class frmKartanTulostus;
}

namespace tikkeli {

// Asks the map print for its title, scale and extent; prints nothing itself. The caller reads the
// four results after exec(). The scale is handed on as the whole number read from the box; a box
// without one (empty, 0) is refused here, before anything else is asked. Closed from the title bar
// it is a cancel, like "Peru".
class frmKartanTulostus : public QDialog {
    Q_OBJECT
public:
    explicit frmKartanTulostus(QWidget* parent = nullptr);
    ~frmKartanTulostus() override;

    // The scale at which the whole map fits one sheet: shown, and offered in the scale box.
    void SetMaxScale(qint32 scale);

    QString KartanOtsake;
    qint32 Mittakaava = 0;
    bool KokoKartta = true;
    bool Peruttu = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tulosta();
    void peru();

    std::unique_ptr<Ui::frmKartanTulostus> ui;
    qint32 m_maxScale = 0;
};

} // namespace tikkeli
