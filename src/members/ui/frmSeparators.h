#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace tikkeli {

// "Tikkeli - Valitse erottimet": the field separator and the quote character of an import file.
// Shown modally; the caller reads Separator, RemoveChars and Cancelled afterwards. The dialog is only
// hidden after use, so it shows the last choices the next time.
class frmSeparators : public QDialog {
    Q_OBJECT
public:
    explicit frmSeparators(QWidget* parent = nullptr);

    QComboBox* cmbSeparator;
    QComboBox* cmbRemoveChars;
    QPushButton* cSeuraava;
    QPushButton* cPeru;

    QString Separator;
    QString RemoveChars;
    bool Cancelled = true;

    void reject() override;
    void done(int result) override;

private:
    void cSeuraava_Click();
};

} // namespace tikkeli
