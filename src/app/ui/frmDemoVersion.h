#pragma once

#include <QDialog>

class QPushButton;

namespace tikkeli {

// The first-run chooser, shown modally at start-up while the sample database is open: keep
// exploring the sample, or found the club's own database.
class frmDemoVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmDemoVersion(QWidget* parent = nullptr);

    // True keeps the sample database (also when the window is closed by its close box).
    bool UseDemoDatabase = true;

    QPushButton* cDemo = nullptr;
    QPushButton* cNewDatabase = nullptr;

    void done(int result) override;
};

} // namespace tikkeli
