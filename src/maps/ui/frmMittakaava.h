#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmMittakaava;
}

namespace tikkeli {

// "Tikkeli - Aseta mittakaava": asks for the denominator N of a scanned map's scale 1:N. Give it
// the current value with SetScaleValue, exec() it and read GetOkPressed and GetScaleValue. OK
// takes only a positive whole number (anything else is explained and the dialog stays open);
// "Peruuta" and the close box are a cancel and keep the value it was given.
class frmMittakaava : public QDialog {
    Q_OBJECT
public:
    explicit frmMittakaava(QWidget* parent = nullptr);
    ~frmMittakaava() override;

    void SetScaleValue(qint32 value);
    qint32 GetScaleValue() const { return m_scaleValue; }
    bool GetOkPressed() const { return m_okPressed; }

    void cOK_Click();
    void cPeruuta_Click();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::frmMittakaava> ui;
    qint32 m_scaleValue = 0;
    bool m_okPressed = false;
};

} // namespace tikkeli
