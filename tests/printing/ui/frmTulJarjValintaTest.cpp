#include "support/Controls.h"
#include "printing/PrintChoices.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "support/TempProgramEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(frmTulJarjValintaTest, NextStoresTheOrderAndTheCloseBoxKeepsIt)
{
    test::TempProgramEnvironment env;
    Printing() = PrintChoices{};
    struct Case {
        const char* option;
        bool close;
        int expected;
    };
    const Case cases[] = {{"optTulJarj_1", false, 1},
                          {"optTulJarj_2", true, 1},
                          {"optTulJarj_2", false, 2},
                          {"optTulJarj_0", false, 0}};
    for (const Case& c : cases) {
        frmTulJarjValinta d;
        auto* option = d.findChild<QRadioButton*>(QString::fromLatin1(c.option));
        ASSERT_TRUE(option);
        option->setChecked(true);
        QTimer::singleShot(0, [&] {
            if (c.close)
                d.close();
            else
                test::Control<QAbstractButton>(d, QStringLiteral("cSeuraava"))->click();
        });
        EXPECT_EQ(d.exec(), c.close ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(Printing().TulostusJarjestys, c.expected) << c.option;
    }
    Printing() = PrintChoices{};
}
