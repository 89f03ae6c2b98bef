#pragma once

#include <QWidget>

#include <memory>

class QBoxLayout;
class QListWidget;

namespace Ui {
class StickCopiesForm;
}

namespace tikkeli {

// What the two windows on the stick's copies share: finding the stick, listing its days newest
// first and the copies of the chosen day, guided by numbered steps. Controls (see the .ui file):
// lblVaihe1, lblVaihe2, lblPaiva, lstPaiva, lblVaihe3, lblTietokanta, lstTietokanta,
// lblVapaaTilaStatus, cEtsiMuistitikku, cSulje.
class StickCopiesForm : public QWidget {
    Q_OBJECT
public:
    ~StickCopiesForm() override;

protected:
    // step3Tail: what the user picks from the day's copies, the end of step 3's text.
    StickCopiesForm(const QString& objectName, const QString& caption, const QString& step2, const QString& step3Tail,
                    QWidget* parent);

    // The chosen day's number and display text; 0 and "" when none is chosen.
    qint32 chosenDay() const;
    QString chosenDayText() const;
    QString dayFolder() const;
    // The chosen day's copies (lstTietokanta).
    QListWidget* copiesList() const;
    // Lists the chosen day's copies again.
    void lstPaiva_Click();

    // Where the subclass puts its own controls (below the lists) and buttons (beside "Jatka").
    QBoxLayout* extraArea() const { return m_extra; }
    QBoxLayout* buttonRow() const { return m_buttons; }

    virtual void beforeSearch() {}
    virtual void dayCleared() {}
    virtual void filesListed() {}

private:
    void cEtsiMuistitikku_Click();

    std::unique_ptr<Ui::StickCopiesForm> m_ui;
    QString m_root;
    QString m_step3Tail;
    QBoxLayout* m_extra;
    QBoxLayout* m_buttons;
};

} // namespace tikkeli
