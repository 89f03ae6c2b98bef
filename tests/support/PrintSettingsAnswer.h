#pragma once

#include "printing/ui/frmTulostus.h"
#include "support/Controls.h"
#include "support/WhenModalShown.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace tikkeli::test {

// What the print settings dialog (frmTulostus) showed at "Tulosta", and whether it stayed open.
struct PrintSettingsSeen {
    QString destination; // the entry of "Tulosta:"
    bool stayedOpen = false;
    QString printerDialogAsked; // the printer dialog's own question about an existing file
};

// Answers the next print settings dialog as a user printing into a PDF file does. With chooseFile:
// "Tulostin", and in the printer dialog the PDF printer writing into that file, confirmed with its
// print button (and "Yes" to its question when the file exists). With pick: that entry of
// "Tulosta:" ("Ikkuna", "Tulostin"). Then "Tulosta" on what the dialog shows; a dialog that stays
// open is left with "Peruuta".
inline std::shared_ptr<PrintSettingsSeen> AnswerPrintSettings(const QString& chooseFile, const QString& pick = {})
{
    auto seen = std::make_shared<PrintSettingsSeen>();
    WhenModalShown<frmTulostus>([seen, chooseFile, pick](frmTulostus& d) {
        if (!chooseFile.isEmpty()) {
            WhenModalShown<QPrintDialog>([seen, chooseFile](QPrintDialog& p) {
                auto* printers = Control<QComboBox>(p, "printers");
                printers->setCurrentIndex(printers->findText(QStringLiteral("PDF"), Qt::MatchContains));
                Control<QLineEdit>(p, "filename")->setText(chooseFile);
                if (QFileInfo::exists(chooseFile))
                    WhenModalShown<QMessageBox>([seen](QMessageBox& box) {
                        seen->printerDialogAsked = box.text();
                        box.button(QMessageBox::Yes)->click();
                    });
                p.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            });
            QTest::mouseClick(Control<QPushButton>(d, "cTulostin"), Qt::LeftButton);
        }
        auto* where = Control<QComboBox>(d, "cmbTulostusLaite");
        if (!pick.isEmpty())
            where->setCurrentIndex(where->findText(pick));
        seen->destination = where->currentText();
        QTest::mouseClick(Control<QPushButton>(d, "cTulosta"), Qt::LeftButton);
        seen->stayedOpen = d.isVisible();
        if (seen->stayedOpen)
            QTest::mouseClick(Control<QPushButton>(d, "cPeruTulostus"), Qt::LeftButton);
    });
    return seen;
}

} // namespace tikkeli::test
