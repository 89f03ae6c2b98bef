#include "base/ScriptedPrompter.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(Prompter, ScriptedAnswersQuestionsInOrderAndRecordsBoxes)
{
    ScriptedPrompter p;
    p.answerYes();
    ShowInfo(QStringLiteral("Tieto"));
    EXPECT_TRUE(AskYesNo(QStringLiteral("Jatketaanko?")));
    EXPECT_FALSE(AskYesNo(QStringLiteral("Uudestaan?")));
    EXPECT_EQ(p.unexpected(), 1);
    ASSERT_EQ(p.messageTexts().size(), 3);
    EXPECT_EQ(p.shown()[0].icon, MsgIcon::Information);
}
