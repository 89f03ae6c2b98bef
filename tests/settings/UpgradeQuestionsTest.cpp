#include "base/ScriptedPrompter.h"
#include "settings/UpgradeQuestions.h"

#include <gtest/gtest.h>

using namespace tikkeli;

TEST(AskingUpgradeHooks, CatchPlaceQuestionGoesThroughThePrompterAndItsAnswerDecides)
{
    const QString question = QStringLiteral(
        "Saalisluettelon tietokantaa tulisi päivittää. Päivitystä on syytä lykätä niin kauan, kunnes\r\n"
        "saalisilmoitus on tältä vuodelta loppuun täytetty ja tulostettu.\r\n"
        "Kun päivitys tehdään, se tyhjentää 'Pyyntipaikka' tiedot\r\n"
        "kaikista syötetyistä kaadoista.\r\n\r\n"
        "Haluatko tehdä päivityksen nyt?");
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        ScriptedPrompter prompter;
        yes ? prompter.answerYes() : prompter.answerNo();
        const UpgradeHooks hooks = AskingUpgradeHooks();
        ASSERT_TRUE(hooks.widenCatchPlace);
        EXPECT_EQ(hooks.widenCatchPlace(), yes);
        ASSERT_EQ(prompter.shown().size(), 1u);
        const auto& q = prompter.shown()[0];
        EXPECT_EQ(q.text, question);
        EXPECT_EQ(q.icon, MsgIcon::Question);
        EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    }
}
