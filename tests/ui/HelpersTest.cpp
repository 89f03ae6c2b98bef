#include "ui/ListHelpers.h"
#include "ui/TextBoxHelpers.h"
#include "ui/cMouseCursor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(TextBoxHelpers, NumericAndIntegerTextsAreCutFromTheEnd)
{
    struct Case {
        const char* typed;
        const char* numeric;
        const char* integer;
    };
    const Case cases[] = {
        {"12a5", "12", "12"},
        {"12,5", "12,5", "12,"},
        {"-", "", ""},
        {"-7", "-7", "-7"},
        {"abc", "", ""},
        {"3,", "3,", "3,"},
        {"1,2,3", "1,2", "1,"},
        {"", "", ""},
        {"99999999999", "99999999999", "999999999"},
    };
    for (const Case& c : cases) {
        QLineEdit box;
        box.setText(QString::fromUtf8(c.typed));
        KeepNumericText(&box);
        EXPECT_EQ(box.text(), QString::fromUtf8(c.numeric)) << c.typed;
        EXPECT_EQ(box.cursorPosition(), box.text().size()) << c.typed;
        box.setText(QString::fromUtf8(c.typed));
        KeepIntegerText(&box);
        EXPECT_EQ(box.text(), QString::fromUtf8(c.integer)) << c.typed;
    }
    EXPECT_EQ(IntegerPrefix(QStringLiteral("2147483647")), QStringLiteral("2147483647"));
    EXPECT_EQ(IntegerPrefix(QStringLiteral("2147483648")), QStringLiteral("214748364"));
}

TEST(TextBoxHelpers, SelectAllSelectsTheWholeText)
{
    QLineEdit box(QStringLiteral("Järvinen"));
    box.setCursorPosition(2);
    SelectAllText(&box);
    EXPECT_EQ(box.selectedText(), QStringLiteral("Järvinen"));
    SelectAllText(nullptr);
}

TEST(ListHelpers, ProgressBarStopsAtItsMaximum)
{
    QProgressBar bar;
    bar.setRange(0, 2);
    bar.setValue(1);
    StepProgressBar(&bar);
    EXPECT_EQ(bar.value(), 2);
    StepProgressBar(&bar);
    EXPECT_EQ(bar.value(), 2);
}

TEST(ListHelpers, ComboByTextIgnoresCaseAndLeavesTheSelection)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({QStringLiteral("Kunta"), QStringLiteral("Kylä")});
    combo.setCurrentIndex(1);
    combo.setEditText(QStringLiteral("KUNTA"));
    EXPECT_EQ(SelectComboByText(&combo), 0);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("KUNTA"));
    combo.setEditText(QString());
    EXPECT_EQ(SelectComboByText(&combo), -1);
    combo.setEditText(QStringLiteral("Kaupunki"));
    EXPECT_EQ(SelectComboByText(&combo), -1);
    QComboBox empty;
    EXPECT_EQ(SelectComboByText(&empty), -1);
}

TEST(ListHelpers, SelectListItemExactOrLast)
{
    QComboBox combo;
    combo.addItems({QStringLiteral("Hirvi"), QStringLiteral("hirvi"), QStringLiteral("Karhu")});
    SelectListItem(QStringLiteral("hirvi"), &combo);
    EXPECT_EQ(combo.currentIndex(), 1);
    SelectListItem(QStringLiteral("Susi"), &combo);
    EXPECT_EQ(combo.currentIndex(), 2);
    QComboBox empty;
    SelectListItem(QStringLiteral("x"), &empty);
    EXPECT_EQ(empty.currentIndex(), -1);
}

TEST(ListHelpers, SelectListItemByData)
{
    QListWidget list;
    for (int id : {10, 20, 30}) {
        auto* item = new QListWidgetItem(QString::number(id), &list);
        item->setData(Qt::UserRole, id);
    }
    list.setCurrentRow(0);
    SelectListItemByData(&list, 30);
    EXPECT_EQ(list.currentRow(), 2);
    SelectListItemByData(&list, 99);
    EXPECT_EQ(list.currentRow(), 2);
}

TEST(cMouseCursor, RestoresOnlyTheFirstTargetWhenItGoes)
{
    QWidget a, b;
    a.setCursor(Qt::CrossCursor);
    {
        cMouseCursor guard;
        guard.SetCursor(&a, BusyPointer);
        EXPECT_EQ(a.cursor().shape(), Qt::WaitCursor);
        guard.SetCursor(&b, BusyPointer);
        EXPECT_EQ(b.cursor().shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(a.cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(b.cursor().shape(), Qt::WaitCursor);
    {
        cMouseCursor unused;
    }
    SetDefaultCursor(&b);
    EXPECT_EQ(b.cursor().shape(), Qt::ArrowCursor);
    SetBusyCursor(&b);
    EXPECT_EQ(b.cursor().shape(), Qt::WaitCursor);
}
