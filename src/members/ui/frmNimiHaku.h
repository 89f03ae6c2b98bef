#pragma once

#include "db/Database.h"

#include <QDialog>
#include <memory>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace Ui {
class frmNimiHaku;
}

namespace tikkeli {

// "Tikkeli - Nimihaku": lists the members whose surname and first name hold the typed parts; the
// member opened from the list is handed back in SelectedMemberId (members/MemberNameSearch.h),
// 0 after "Peru" or "Avaa" without a row; the close box leaves it as it was.
// It opens the database named by the settings itself. When that fails it says so and isLoaded()
// is false: do not show it then (showModal does all of this). Its controls are found by
// objectName (frmNimiHaku.ui).
class frmNimiHaku : public QDialog {
    Q_OBJECT
public:
    explicit frmNimiHaku(QWidget* parent = nullptr);
    ~frmNimiHaku() override;

    // Builds the dialog and, when the database opened, shows it modally. True when the dialog
    // handed a choice back in SelectedMemberId ("Avaa"; "Peru" hands back 0); false when it could
    // not load or was closed otherwise, SelectedMemberId then still holding an earlier search's
    // member, which is no answer to this one.
    static bool showModal(QWidget* parent);

    bool isLoaded() const { return m_loaded; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireUi();
    void cSearch_Click();
    void cOpen_Click();
    void cUndo_Click();

    std::unique_ptr<Ui::frmNimiHaku> ui;
    Database m_db;
    bool m_loaded = false;
    std::vector<qint32> m_foundIds; // by row of lstFoundJR
};

} // namespace tikkeli
