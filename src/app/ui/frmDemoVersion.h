#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmDemoVersion;
}

namespace tikkeli {

// The first-run chooser, shown modally at start-up while the sample database is open: keep
// exploring the sample, or found the club's own database.
class frmDemoVersion : public QDialog {
    Q_OBJECT
public:
    explicit frmDemoVersion(QWidget* parent = nullptr);
    ~frmDemoVersion() override;

    // True keeps the sample database (also when the window is closed by its close box).
    bool UseDemoDatabase = true;

    void done(int result) override;

private:
    std::unique_ptr<Ui::frmDemoVersion> ui;
};

} // namespace tikkeli
