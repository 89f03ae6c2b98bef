#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace tikkeli {

// The about window: program title and version, the club's name and the maker's details, with
// links to the maker's pages. Fixed size; shown modally by the main window.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    void Label4_Click();
    void Label9_Click();

    // What the links call; tests put a recorder here instead of a browser.
    static inline std::function<void(const QString&)> openTarget;

    void done(int result) override;

protected:
    void changeEvent(QEvent* e) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
};

} // namespace tikkeli
