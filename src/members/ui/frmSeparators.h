#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmSeparators;
}

namespace tikkeli {

// "Tikkeli - Valitse erottimet": the field separator and the quote character of an import file.
// Shown modally; the caller reads Separator, RemoveChars and Cancelled afterwards. The dialog is only
// hidden after use, so it shows the last choices the next time. Layout in frmSeparators.ui.
class frmSeparators : public QDialog {
    Q_OBJECT
public:
    explicit frmSeparators(QWidget* parent = nullptr);
    ~frmSeparators() override;

    QString Separator;
    QString RemoveChars;
    bool Cancelled = true;

    void reject() override;
    void done(int result) override;

private:
    void cSeuraava_Click();

    std::unique_ptr<Ui::frmSeparators> ui;
};

} // namespace tikkeli
