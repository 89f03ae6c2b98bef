#pragma once

#include "db/Database.h"
#include "members/MemberCriteriaChoices.h"

#include <QDialog>
#include <array>

#include <memory>

class QRadioButton;

namespace Ui {
class frmHakuehdotJ;
}

namespace tikkeli {

// "Tikkeli - Jäsenistön rajaus": the member-list criteria. "Seuraava >>" writes the choices into the
// criteria block (Criteria()) and closes the dialog (accepted); the close box writes nothing
// (rejected). Every opening starts from the design defaults. It opens the database named by the
// settings itself; when that fails it says so and isLoaded() is false: do not show it then.
// Layout in frmHakuehdotJ.ui.
class frmHakuehdotJ : public QDialog {
    Q_OBJECT
public:
    explicit frmHakuehdotJ(QWidget* parent = nullptr);
    ~frmHakuehdotJ() override;

    // Builds the dialog and shows it modally; true when the user went on with "Seuraava >>" (the
    // block then holds the choices), false when the dialog could not load or was closed.
    static bool showModal(QWidget* parent);

    bool isLoaded() const { return m_loaded; }
    // The choices as the controls hold them now.
    MemberCriteriaChoices choices() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Options = std::array<QRadioButton*, 3>;
    static int checkedIndex(const Options& options);
    void FillFeatureList(Database& db);
    void lstOminaisuudet_Click();
    void cSeuraava_Click();
    // Leaving a refinement box: a rejected text empties it with a beep.
    void checkOnLeave(QObject* box);

    std::unique_ptr<Ui::frmHakuehdotJ> ui;
    Options optOmistajalaji{}, optJasenmaksu{}, optSyntAika{}, optLiit{}, optDate{}, optLong{}, optCurrency{};
    bool m_loaded = false;
};

} // namespace tikkeli
