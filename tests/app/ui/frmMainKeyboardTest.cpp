#include "app/ui/frmMain.h"
#include "base/ScriptedPrompter.h"
#include "ui/WindowOpeners.h"
#include "support/TempProgramEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The letter after the one '&' of a caption ('\0' when there is none or more than one).
QChar mnemonicOf(const QString& caption)
{
    const QString plain = QString(caption).replace(QStringLiteral("&&"), QString());
    const int at = plain.indexOf(QLatin1Char('&'));
    if (at < 0 || at + 1 >= plain.size() || plain.indexOf(QLatin1Char('&'), at + 1) >= 0)
        return QChar();
    return plain.at(at + 1).toLower();
}

class MainWindowKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        WindowOpeners::clear();
        for (int c = int(MainCommand::MemberRegister); c <= int(MainCommand::ReverseEuroConversion); ++c)
            WindowOpeners::set(MainCommand(c), [this, c](QWidget*) { opened.push_back(MainCommand(c)); });
    }
    void TearDown() override { WindowOpeners::clear(); }

    // The window shown and active, as a user meets it.
    void showActive(frmMain& w)
    {
        w.RefreshCommands();
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    std::vector<MainCommand> opened;
};

} // namespace

TEST_F(MainWindowKeyboard, TabRunsLeftToRightThroughTheButtons)
{
    frmMain w;
    ASSERT_NO_FATAL_FAILURE(showActive(w));
    const QStringList expected = {"cJasenrekisteri", "cJasenmaksut",    "cLuoJasenmaksut", "cOminaisuudet", "cVuokraus",
                                  "cKartta",         "cSaalisilmoitus", "cAbout",          "cSulje"};
    auto* first = w.findChild<QPushButton*>(QStringLiteral("cJasenrekisteri"));
    ASSERT_TRUE(first);
    first->setFocus(Qt::TabFocusReason);
    QStringList visited;
    int lastX = -1;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus) << "step " << i;
        visited << focus->objectName();
        const int x = focus->mapTo(&w, QPoint(0, 0)).x();
        EXPECT_GT(x, lastX) << focus->objectName().toStdString() << " lies left of the one before it";
        lastX = x;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("cJasenrekisteri")) << "Tab wraps around";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("cSulje"));
}

// Every button with a caption and every menu of the menu bar has its own Alt letter; every entry
// of each menu has a letter of its own within that menu.
TEST_F(MainWindowKeyboard, ButtonsAndMenusHaveTheirOwnMnemonics)
{
    frmMain w;
    QStringList captions;
    for (QPushButton* b : w.findChildren<QPushButton*>())
        captions << b->text();
    auto* bar = w.findChild<QMenuBar*>();
    ASSERT_TRUE(bar);
    for (QAction* a : bar->actions())
        captions << a->text();
    EXPECT_EQ(captions.size(), 8 + 3);
    QSet<QChar> letters;
    for (const QString& c : captions) {
        const QChar m = mnemonicOf(c);
        EXPECT_FALSE(m.isNull()) << c.toStdString() << " has no Alt letter";
        EXPECT_FALSE(letters.contains(m)) << c.toStdString() << " shares its Alt letter";
        letters.insert(m);
    }
    for (QMenu* menu : w.findChildren<QMenu*>()) {
        QSet<QChar> inMenu;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                continue;
            const QChar m = mnemonicOf(a->text());
            EXPECT_FALSE(m.isNull()) << menu->objectName().toStdString() << ": " << a->text().toStdString();
            EXPECT_FALSE(inMenu.contains(m)) << menu->objectName().toStdString() << ": " << a->text().toStdString();
            inMenu.insert(m);
        }
    }
}

TEST_F(MainWindowKeyboard, AltLettersPressTheButtons)
{
    frmMain w;
    ASSERT_NO_FATAL_FAILURE(showActive(w));
    const std::pair<Qt::Key, MainCommand> keys[] = {
        {Qt::Key_J, MainCommand::MemberRegister}, {Qt::Key_M, MainCommand::PaymentBook},
        {Qt::Key_L, MainCommand::InvoiceRun},     {Qt::Key_O, MainCommand::FeatureCatalogue},
        {Qt::Key_V, MainCommand::Contracts},      {Qt::Key_R, MainCommand::Map},
        {Qt::Key_A, MainCommand::CatchReport},
    };
    for (const auto& [key, command] : keys) {
        opened.clear();
        QTest::keyClick(&w, key, Qt::AltModifier);
        // A mnemonic presses its button visibly and clicks it when the press animation ends.
        EXPECT_TRUE(QTest::qWaitFor([this] { return !opened.empty(); }, 5000));
        EXPECT_EQ(opened, std::vector<MainCommand>{command}) << "Alt+" << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(MainWindowKeyboard, CtrlQClosesTheProgramAsSuljeDoes)
{
    {
        frmMain w;
        ASSERT_NO_FATAL_FAILURE(showActive(w));
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        EXPECT_FALSE(w.isVisible());
    }
    // From another window of the program too: the main window's close asks it first.
    frmMain w;
    ASSERT_NO_FATAL_FAILURE(showActive(w));
    auto* other = new QWidget;
    other->setObjectName(QStringLiteral("frmPiirre"));
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    QApplication::setActiveWindow(other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(other));
    QPointer<QWidget> watch(other);
    QTest::keyClick(other, Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(watch.isNull()) << "the other window was closed through its own close";
}
