// Enter in a box of any window presses no button but the window's own default, where it has one,
// and stores nothing. A dialog makes its first push button not told otherwise its default: in the
// report template editor Enter in the name box added a column with no heading, which the close
// then stored without asking.
#include "base/ScriptedPrompter.h"
#include "db/Recordset.h"
#include "../contracts/ContractTestDb.h"
#include "EveryWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace tikkeli;

namespace {

// The windows in which Enter goes on from every box, and the button it presses there.
const std::map<QString, QString> enterGoesOn = {
    {"frmElainehdot", "cSeuraava"},
    {"frmHakuehdot", "cSeuraava"},
    {"frmHakuehdotJ", "cSeuraava"},
    {"frmHakuehdotVoimassaolo", "cSeuraava"},
    {"frmKartanTulostus", "cTulostaKartta"},
    {"frmLaskujenRajaus", "cSeuraava"},
    {"frmLaskumalli", "cSeuraava"},
    {"frmMittakaava", "cOK"},
    {"frmPiirrettavatTilat", "cSeuraava"},
    {"frmSaalisilmTulostus", "cSeuraava"},
    {"frmSeparators", "cSeuraava"},
    {"frmSopimushaku", "cHae"},
    {"frmTulJarjValinta", "cSeuraava"},
    {"frmTulostus", "cTulosta"},
    {"frmTulostusmuodonValinta", "cSeuraava"},
    {"frmTulostusrajoitukset", "cSeuraava"},
    {"frmValitseElaimet", "cOK"},
    {"frmValitseTila", "cOK"},
};

// A control the user can stand in that leaves Enter to its window: a one-line text box, a combo or
// spin box, a check box or an option. (A multi-line box takes Enter for a new line, a list or a
// tree for its row, a button for its press.)
bool leavesEnter(const QWidget* c)
{
    if (c->focusPolicy() == Qt::NoFocus)
        return false;
    if (qobject_cast<const QLineEdit*>(c))
        return !qobject_cast<QComboBox*>(c->parentWidget()) && !qobject_cast<QAbstractSpinBox*>(c->parentWidget());
    return qobject_cast<const QComboBox*>(c) || qobject_cast<const QAbstractSpinBox*>(c) || qobject_cast<const QCheckBox*>(c)
           || qobject_cast<const QRadioButton*>(c);
}

// A digest of what the file holds, every row of every table.
std::string storedValues(Database& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Recordset tables = db.openRecordset(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                                        RecordsetType::Snapshot);
    for (; !tables.eof(); tables.moveNext()) {
        const QString table = tables.field(0).toString();
        hash.addData(table.toUtf8());
        Recordset rows = db.openRecordset(table, RecordsetType::Snapshot);
        for (; !rows.eof(); rows.moveNext())
            for (int i = 0; i < rows.fieldCount(); ++i) {
                hash.addData(rows.field(i).isNull() ? QByteArrayView("\x1e") : QByteArrayView("\x1f"));
                hash.addData(rows.field(i).toString().toUtf8());
            }
    }
    return hash.result().toHex().toStdString();
}

// The rows w shows: those of its lists, grids and trees, and the boxes it lays out.
int rowsShown(QWidget& w)
{
    int rows = 0;
    for (const QAbstractItemView* view : w.findChildren<QAbstractItemView*>())
        if (view->model())
            rows += view->model()->rowCount();
    for (const QWidget* c : w.findChildren<QWidget*>())
        rows += leavesEnter(c);
    return rows;
}

// Enter and the keypad's Enter in each box of w shown now and not tried yet; returns the presses
// of any button but the one the window's Enter goes on with, as "box: button".
QStringList pressEnterInEachBox(QWidget& w, const QString& goesOn, std::set<QWidget*>& tried,
                                std::vector<QAbstractButton*>& pressed)
{
    QStringList wrong;
    std::vector<QPointer<QWidget>> boxes;
    for (QWidget* c : w.findChildren<QWidget*>())
        if (c->window() == &w && c->isVisible() && c->isEnabled() && leavesEnter(c) && tried.insert(c).second)
            boxes.emplace_back(c);
    for (const QPointer<QWidget>& box : boxes) {
        if (!box || !box->isVisible() || !box->isEnabled())
            continue;
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Return, Qt::NoModifier}, std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
            box->setFocus(Qt::TabFocusReason);
            QWidget* focus = QApplication::focusWidget();
            if (!focus || !box->isVisible())
                break;
            pressed.clear();
            const int rows = rowsShown(w);
            QTest::keyClick(focus, key, modifiers);
            for (QAbstractButton* b : pressed)
                if (b->objectName() != goesOn)
                    wrong << box->objectName() + QStringLiteral(": ") + b->objectName();
            if (const int added = rowsShown(w) - rows)
                wrong << box->objectName() + QStringLiteral(": ") + QString::number(added) + QStringLiteral(" rows");
        }
    }
    return wrong;
}

} // namespace

// In every box of every window, behind every tab: Enter presses no button, or only the one the
// window goes on with, and the file holds what it held. Each button's own work is cut off, so the
// presses are only counted and a stray one does no harm to the rest of the sweep.
TEST(EveryEnter, EnterInABoxPressesNoButtonButTheWindowsOwnAndStoresNothing)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter prompter;
    int swept = 0;
    for (const auto& [name, window] : test::everyWindow()) {
        SCOPED_TRACE(name.toStdString());
        QWidget* w = window.make(t.db);
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        std::vector<QAbstractButton*> pressed;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
            QObject::connect(b, &QAbstractButton::clicked, [&pressed, b] { pressed.push_back(b); });
        }
        const QString goesOn = enterGoesOn.count(name) ? enterGoesOn.at(name) : QString();
        const std::string before = storedValues(t.db);
        std::set<QWidget*> tried;
        QStringList wrong = pressEnterInEachBox(*w, goesOn, tried, pressed);
        for (QTabBar* tabs : w->findChildren<QTabBar*>())
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                wrong += pressEnterInEachBox(*w, goesOn, tried, pressed);
            }
        swept += int(tried.size());
        EXPECT_TRUE(wrong.isEmpty()) << "Enter pressed\n" << wrong.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(storedValues(t.db), before) << "Enter stored something";
        test::closeAndDelete(w);
    }
    EXPECT_GE(swept, 250);
    EXPECT_EQ(prompter.unexpected(), 0);
}
