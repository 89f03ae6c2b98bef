#include "support/WhenModalShown.h"
#include "ui/WidgetPrompter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;

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
