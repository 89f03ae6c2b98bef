#include "base/FileFilters.h"
#include "base/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "support/WhenModalShown.h"
#include "ui/WidgetPrompter.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using namespace tikkeli::test;

// A question put in the way of a close offers Kyllä, Ei and Peruuta; Enter and Escape call the
// close off.
TEST(WidgetPrompter, AQuestionThatCallsACommandOffDefaultsToCancel)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        QStringList captions;
        test::WhenModalShown<QMessageBox>([&](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons())
                captions << b->text();
            EXPECT_EQ(box.defaultButton(), qobject_cast<QPushButton*>(box.button(QMessageBox::Cancel)));
            QTest::keyClick(&box, key);
        });
        EXPECT_EQ(
            WidgetPrompter().message(QStringLiteral("Tallennetaanko?"), MsgIcon::None, MsgButtons::YesNoCancelDefaultCancel),
            MsgResult::Cancel);
        captions.sort();
        EXPECT_EQ(captions, (QStringList{QStringLiteral("&Ei"), QStringLiteral("&Kyllä"), QStringLiteral("Peruuta")}));
    }
}

// Escape and the title bar's close give a question's safe answer, the one a scripted "closed"
// gives in tests. A question whose "Ei" drops work shows Kyllä and Ei alone, and goes back.
TEST(WidgetPrompter, EscapeAndTheCloseGiveTheSafeAnswerAndGoBackWhereNoDropsWork)
{
    const struct {
        MsgButtons buttons;
        MsgResult closed;
        int shown; // buttons the user sees
    } cases[] = {
        {MsgButtons::Ok, MsgResult::Ok, 1},
        {MsgButtons::OkCancel, MsgResult::Cancel, 2},
        {MsgButtons::YesNo, MsgResult::No, 2},
        {MsgButtons::YesNoDefaultNo, MsgResult::No, 2},
        {MsgButtons::YesNoCancel, MsgResult::Cancel, 3},
        {MsgButtons::YesNoCancelDefaultCancel, MsgResult::Cancel, 3},
        {MsgButtons::YesNoCloseCancels, MsgResult::Cancel, 2},
    };
    for (const auto& c : cases) {
        for (const bool escape : {true, false}) {
            SCOPED_TRACE(testing::Message() << int(c.buttons) << (escape ? " Escape" : " close"));
            int shown = 0;
            test::WhenModalShown<QMessageBox>([&](QMessageBox& box) {
                for (QAbstractButton* b : box.buttons())
                    shown += b->isVisible();
                escape ? QTest::keyClick(&box, Qt::Key_Escape) : (void)box.close();
            });
            EXPECT_EQ(WidgetPrompter().message(QStringLiteral("Kysymys"), MsgIcon::None, c.buttons), c.closed);
            EXPECT_EQ(shown, c.shown);
            ScriptedPrompter scripted;
            scripted.answerClosed();
            EXPECT_EQ(scripted.message(QStringLiteral("Kysymys"), MsgIcon::None, c.buttons), c.closed);
        }
    }
}

// The program's own save dialog, as the user meets it: "jasenet" typed where jasenet.pdf exists
// is asked about as jasenet.pdf; "Ei" opens the dialog again, "Kyllä" gives the whole name.
TEST(WidgetPrompter, TheSaveDialogAddsTheSuffixBeforeItAsksAboutAnExistingFile)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("jasenet.pdf"));
    WriteFileBytes(existing, "vanha");
    FileDialogRequest request;
    request.title = QStringLiteral("Tallenna raportti PDF-tiedostona");
    request.folder = dir.path();
    request.fileName = QStringLiteral("raportti.pdf");
    request.filter = PdfFileFilter();
    request.defaultSuffix = QStringLiteral("pdf");

    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        SCOPED_TRACE(answer == QMessageBox::No ? "Ei" : "Kyllä");
        int dialogs = 0;
        QString asked;
        QString reopenedAt;
        WhenModalShown<QFileDialog>([&](QFileDialog& d) {
            ++dialogs;
            WhenModalShown<QMessageBox>([&](QMessageBox& box) {
                asked = box.text();
                if (answer == QMessageBox::No)
                    WhenModalShown<QFileDialog>([&](QFileDialog& again) {
                        ++dialogs;
                        reopenedAt = again.selectedFiles().value(0);
                        again.reject();
                    });
                box.button(answer)->click();
            });
            ASSERT_NE(d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), nullptr);
            d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("jasenet"));
            QTest::keyClick(d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
        });
        const std::optional<QString> chosen = WidgetPrompter().saveFile(request);
        EXPECT_TRUE(asked.contains(QStringLiteral("jasenet.pdf"))) << asked.toStdString();
        if (answer == QMessageBox::No) {
            EXPECT_FALSE(chosen.has_value());
            EXPECT_EQ(dialogs, 2);
            EXPECT_EQ(reopenedAt, existing);
        } else {
            EXPECT_EQ(chosen.value_or(QString()), existing);
            EXPECT_EQ(dialogs, 1);
        }
        EXPECT_EQ(ReadFileBytes(existing), QByteArray("vanha"));
    }
}

// The question before a file is replaced comes once per save (the file dialog asks nothing of its
// own), and its default is "Ei": Enter keeps the file and opens the dialog again.
TEST(WidgetPrompter, TheQuestionBeforeReplacingAFileIsAskedOnceAndEnterKeepsTheFile)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("jasenet.pdf"));
    WriteFileBytes(existing, "vanha");
    FileDialogRequest request;
    request.folder = dir.path();
    request.filter = PdfFileFilter();
    request.defaultSuffix = QStringLiteral("pdf");

    // Counts every message box shown, a dialog's own included.
    struct BoxCounter : QObject {
        int shown = 0;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            shown += event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched) != nullptr;
            return false;
        }
    } boxes;
    qApp->installEventFilter(&boxes);

    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(enter);
        boxes.shown = 0;
        int dialogs = 0;
        QString defaultCaption;
        WhenModalShown<QFileDialog>([&](QFileDialog& d) {
            ++dialogs;
            WhenModalShown<QMessageBox>([&](QMessageBox& box) {
                if (box.defaultButton())
                    defaultCaption = box.defaultButton()->text();
                WhenModalShown<QFileDialog>([&](QFileDialog& again) {
                    ++dialogs;
                    again.reject();
                });
                QTest::keyClick(&box, enter);
            });
            auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QStringLiteral("jasenet"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        EXPECT_FALSE(WidgetPrompter().saveFile(request).has_value());
        EXPECT_EQ(boxes.shown, 1);
        EXPECT_EQ(defaultCaption.toStdString(), "&Ei");
        EXPECT_EQ(dialogs, 2) << "Ei opens the dialog again";
        EXPECT_EQ(ReadFileBytes(existing), QByteArray("vanha"));
    }
    qApp->removeEventFilter(&boxes);
}
