#include "base/ScriptedPrompter.h"
#include "members/ui/FeatureValueEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

using Kind = FeatureValueText::Kind;

TEST(FeatureValueEditor, LabelsFollowTheKindsOffered)
{
    ScriptedPrompter prompter;
    FeatureValueEditor editor;
    editor.show();
    editor.reset();
    auto* lblLong = editor.findChild<QLabel*>(QStringLiteral("lblLong"));
    auto* lblMemo = editor.findChild<QLabel*>(QStringLiteral("lblMemo"));
    auto* chkLong = editor.findChild<QCheckBox*>(QStringLiteral("chkLong"));
    auto* tLong = editor.findChild<QLineEdit*>(QStringLiteral("tLong"));
    auto* tMemo = editor.findChild<QPlainTextEdit*>(QStringLiteral("tMemo"));
    ASSERT_TRUE(lblLong && lblMemo && chkLong && tLong && tMemo);
    EXPECT_FALSE(chkLong->isVisible());
    EXPECT_FALSE(lblLong->isVisible());
    EXPECT_FALSE(tLong->isEnabled());

    editor.setOffered(Kind::Long, true);
    editor.setText(Kind::Long, QStringLiteral("3"));
    editor.setOffered(Kind::Memo, true);
    editor.setText(Kind::Memo, QStringLiteral("Läsnä"));
    EXPECT_TRUE(lblLong->isVisible());
    EXPECT_TRUE(tLong->isEnabled());
    EXPECT_TRUE(editor.isOffered(Kind::Long));
    EXPECT_FALSE(editor.isOffered(Kind::Date));
    EXPECT_EQ(editor.text(Kind::Memo), QStringLiteral("Läsnä"));
    EXPECT_FALSE(editor.refusal());

    // A kind taken away is emptied; a refused text of an offered kind is the editor's refusal.
    editor.setOffered(Kind::Memo, false);
    EXPECT_TRUE(tMemo->toPlainText().isEmpty());
    editor.setText(Kind::Long, QStringLiteral("4,5"));
    ASSERT_TRUE(editor.refusal());
    EXPECT_TRUE(editor.refusal()->startsWith(QStringLiteral("Luku ei kelpaa")));
    editor.setOffered(Kind::Long, false);
    EXPECT_FALSE(editor.refusal());
}

TEST(FeatureValueEditor, CheckBoxesTurnKindsOnAndOffAndTellTheHost)
{
    ScriptedPrompter prompter;
    FeatureValueEditor editor;
    editor.setCaptions(FeatureValueEditor::Captions::CheckBoxes);
    editor.show();
    editor.reset();
    auto* chkCurrency = editor.findChild<QCheckBox*>(QStringLiteral("chkCurrency"));
    auto* lblCurrency = editor.findChild<QLabel*>(QStringLiteral("lblCurrency"));
    auto* tCurrency = editor.findChild<QLineEdit*>(QStringLiteral("tCurrency"));
    ASSERT_TRUE(chkCurrency && lblCurrency && tCurrency);
    EXPECT_TRUE(chkCurrency->isVisible());
    EXPECT_FALSE(lblCurrency->isVisible());
    QSignalSpy toggled(&editor, &FeatureValueEditor::kindToggled);

    chkCurrency->click();
    EXPECT_TRUE(tCurrency->isEnabled());
    ASSERT_EQ(toggled.size(), 1);
    EXPECT_EQ(toggled.at(0).at(1).toBool(), true);
    tCurrency->setText(QStringLiteral("12,50"));
    chkCurrency->click();
    EXPECT_FALSE(tCurrency->isEnabled());
    EXPECT_TRUE(tCurrency->text().isEmpty());
    EXPECT_EQ(toggled.size(), 2);
}

} // namespace
