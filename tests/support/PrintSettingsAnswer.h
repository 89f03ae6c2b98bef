#pragma once

#include "base/ScriptedPrompter.h"
#include "printing/ui/frmTulostus.h"
#include "support/Controls.h"
#include "support/TestFiles.h"
#include "support/WhenModalShown.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

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

// Printing into one PDF file with "Tulostin", round after round.
struct PdfPrintRound {
    const char* name;
    bool chooseFile;                  // in the printer dialog; else "Tulostin" picked in the list
    bool printerDialogAsks;           // the file exists when it is chosen there
    std::optional<MsgResult> replace; // the answer to the print's own question about the file
    bool prints() const { return replace != MsgResult::No; }
};

inline constexpr PdfPrintRound PdfPrintRounds[] = {
    {"chosen with Tulostin", true, false, std::nullopt},
    {"Tulostin again, Ei", false, false, MsgResult::No},
    {"Tulostin again, Kyllä", false, false, MsgResult::Yes},
    {"the file chosen again: the printer dialog asks", true, true, std::nullopt},
};

// Scripts a round's answers: the print settings dialog and the question about the file.
inline std::shared_ptr<PrintSettingsSeen> ScriptPdfPrintRound(ScriptedPrompter& prompter, const PdfPrintRound& round,
                                                              const QString& pdf)
{
    prompter.clear();
    if (round.replace)
        prompter.answer(*round.replace);
    return AnswerPrintSettings(round.chooseFile ? pdf : QString(), round.chooseFile ? QString() : "Tulostin");
}

// What a round showed and wrote; pageText is on the printed page. The file is then overwritten with
// other bytes, which only a print replaces.
inline void CheckPdfPrintRound(const ScriptedPrompter& prompter, const PdfPrintRound& round, const PrintSettingsSeen& seen,
                               const QString& pdf, const QString& pageText)
{
    const QString told = QStringLiteral("Tulostettiin tiedostoon ") + pdf;
    EXPECT_EQ(seen.destination, QStringLiteral("Tulostin"));
    EXPECT_EQ(seen.stayedOpen, !round.prints());
    EXPECT_EQ(prompter.messageTexts().contains(ReplaceFileQuestion(pdf)), round.replace.has_value());
    EXPECT_EQ(!seen.printerDialogAsked.isEmpty(), round.printerDialogAsks);
    EXPECT_EQ(prompter.messageTexts().contains(told), round.prints()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(prompter.unexpected(), 0);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(text.readAllStandardOutput()).contains(pageText), round.prints());
    WriteFileBytes(pdf, "vanha");
}

} // namespace tikkeli::test
