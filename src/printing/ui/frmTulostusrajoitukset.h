#pragma once

#include <QDate>
#include <QDialog>
#include <array>
#include <memory>

class QLineEdit;
class QRadioButton;

namespace Ui {
class frmTulostusrajoitukset;
}

namespace tikkeli {

// Asks the rent due-date list for the kind of rent and a due-date range. "Seuraava >>" only hides
// it: the caller reads VastikeRajaus, ErapaivaAlku and ErapaivaLoppu after the modal call, and a
// later showing opens with the previous choice. The close box unloads it with VastikeRajaus -1.
// Controls (see the .ui file): optVastike_0..3, lblErapaivasta, tErapaivasta, lblErapaivaan,
// tErapaivaan, cSeuraava.
class frmTulostusrajoitukset : public QDialog {
    Q_OBJECT
public:
    // The loaded dialog, or a new one (VastikeRajaus = -1) when it is not loaded.
    static frmTulostusrajoitukset* Instance();

    qint16 VastikeRajaus = -1; // -1 no choice; 1..4 the option's index + 1
    QDate ErapaivaAlku;        // null: the zero date
    QDate ErapaivaLoppu;

    ~frmTulostusrajoitukset() override;

public slots:
    void reject() override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmTulostusrajoitukset(QWidget* parent = nullptr);
    bool dated() const;
    void updateDateBoxes();
    void leaveDateBox(QLineEdit* box, QDate& value);
    // False, with the user told and the box focused, when an enabled due-date box holds a text
    // that is no date.
    bool datesAreDates();
    void seuraava();
    void unload();

    std::unique_ptr<Ui::frmTulostusrajoitukset> ui;
    std::array<QRadioButton*, 4> optVastike;
};

} // namespace tikkeli
