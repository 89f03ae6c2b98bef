#include "base/ScriptedPrompter.h"
#include "maps/ui/frmMittakaava.h"
#include "support/Controls.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli {
namespace {

using test::Control;

TEST(frmMittakaava, OkTakesOnlyAPositiveWholeNumber)
{
    struct Case {
        const char* typed;
        bool accepted;
        qint32 value;
    } const cases[] = {
        {"25000", true, 25000}, {"0", false, 20000}, {"-1", false, 20000}, {"", false, 20000}, {"1", true, 1},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        frmMittakaava d;
        d.SetScaleValue(20000);
        d.show();
        Control<QLineEdit>(d, "tScale")->setText(QString::fromLatin1(c.typed));
        Control<QPushButton>(d, "cOK")->click();
        EXPECT_EQ(d.GetOkPressed(), c.accepted) << c.typed;
        EXPECT_EQ(d.GetScaleValue(), c.value) << c.typed;
        EXPECT_EQ(d.isVisible(), !c.accepted) << c.typed;
        EXPECT_EQ(prompter.messageTexts(),
                  c.accepted ? QStringList()
                             : QStringList{QStringLiteral("Mittakaavan pitää olla positiivinen kokonaisluku.")});
    }
}

TEST(frmMittakaava, LettersVanishAsTheyAreTyped)
{
    frmMittakaava d;
    auto* box = Control<QLineEdit>(d, "tScale");
    EXPECT_EQ(box->text(), QStringLiteral("10000"));
    box->clear();
    QTest::keyClicks(box, QStringLiteral("1a5x00"));
    EXPECT_EQ(box->text(), QStringLiteral("1500"));
}

TEST(frmMittakaava, EveryOtherWayOutIsACancel)
{
    for (int way = 0; way < 3; ++way) {
        frmMittakaava d;
        d.SetScaleValue(20000);
        d.show();
        Control<QLineEdit>(d, "tScale")->setText(QStringLiteral("5000"));
        if (way == 0)
            Control<QPushButton>(d, "cPeruuta")->click();
        else if (way == 1)
            d.close();
        else
            QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.GetOkPressed()) << way;
        EXPECT_EQ(d.GetScaleValue(), 20000) << way;
        EXPECT_FALSE(d.isVisible()) << way;
    }
}

TEST(frmMittakaava, EnterAcceptsTheTypedScale)
{
    frmMittakaava d;
    d.SetScaleValue(20000);
    d.show();
    auto* box = Control<QLineEdit>(d, "tScale");
    box->setFocus();
    box->setText(QStringLiteral("50000"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(d.GetOkPressed());
    EXPECT_EQ(d.GetScaleValue(), 50000);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Tikkeli - Aseta mittakaava"));
}

} // namespace
} // namespace tikkeli
