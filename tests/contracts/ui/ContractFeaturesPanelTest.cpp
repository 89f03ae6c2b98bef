#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "../ContractTestDb.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

// The sample club: its first contract (Heinonen Liisa, vsID 1) carries the features Hirvialue,
// Vuokra maksettu (date), Pinta-ala hehtaareina (number) and Vuokrasumma (amount 80).
class ContractFeaturesPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.db.execute(
            QStringLiteral("INSERT INTO pi (piNimi, piKuvaus, piType, piEnbldDate, piEnbldLong, piEnbldCurrency, "
                           "piEnbldMemo, piLong, piCurrency) VALUES ('Kaikki', 'Neljä arvoa', 2, 1, 1, 1, 1, 5, 3)"));
        all = t.db.lastInsertId();
    }
    void TearDown() override
    {
        if (auto* w = frmVuokra::Instance())
            delete w;
        frmVuokra::SearchDialog = nullptr;
    }
    frmVuokra* open()
    {
        frmVuokra* w = frmVuokra::Load();
        if (w) {
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
            if (auto* button = child<QPushButton>(w, "cAvaaOminaisuudet"))
                button->click();
        }
        return w;
    }
    template <class T = QLineEdit>
    T* child(QWidget* w, const char* name)
    {
        return w->findChild<T*>(QLatin1String(name));
    }
    QListWidget* list(QWidget* w, const char* name = "lstAllPt") { return child<QListWidget>(w, name); }
    // Shows the contract's feature of that name; false when the list has none.
    bool show(QWidget* w, const QString& name)
    {
        QListWidget* features = list(w);
        const auto found = features ? features->findItems(name, Qt::MatchExactly) : QList<QListWidgetItem*>{};
        if (found.isEmpty())
            return false;
        features->setCurrentItem(found.last());
        return true;
    }
    void type(QWidget* box, const QString& text)
    {
        box->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            line->selectAll();
            QTest::keyClicks(box, text);
        } else {
            // Key clicks know ASCII only; a memo takes its text as pasted.
            static_cast<QPlainTextEdit*>(box)->selectAll();
            static_cast<QPlainTextEdit*>(box)->insertPlainText(text);
        }
    }
    QString stored(qint64 mtID, const char* expression)
    {
        return t.db.scalar(QStringLiteral("SELECT %1 FROM mt WHERE mtID = ?").arg(QLatin1String(expression)), {mtID})
            .toString();
    }
    qint64 values(qint64 vsID) { return t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtvsID = ?"), {vsID}); }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    qint64 all = 0;
};

} // namespace

TEST_F(ContractFeaturesPanelTest, PanelOpensWithTheContractsFeaturesAndClosesWithItsMenuEntries)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* frame = child<QGroupBox>(w, "frameOminaisuudet");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(list(w), nullptr);
    EXPECT_TRUE(frame->isVisible());
    QStringList names;
    for (int i = 0; i < list(w)->count(); ++i)
        names << list(w)->item(i)->text();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Hirvialue"), QStringLiteral("Vuokra maksettu"),
                                  QStringLiteral("Pinta-ala hehtaareina"), QStringLiteral("Vuokrasumma")}));

    const char* entries[] = {"mLisaaOminaisuus", "mPoistaOminaisuus", "mSelaaOminaisuuksia"};
    for (const char* name : entries)
        EXPECT_TRUE(child<QAction>(w, name)->isEnabled()) << name;
    child<QPushButton>(w, "cSuljeOminaisuudet")->click();
    EXPECT_FALSE(frame->isVisible());
    for (const char* name : entries)
        EXPECT_FALSE(child<QAction>(w, name)->isEnabled()) << name;
    child<QAction>(w, "mNaytaOminaisuudet")->trigger();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(child<QAction>(w, "mLisaaOminaisuus")->isEnabled());

    // Tab from the panel's Sulje goes round to the feature list.
    auto* close = child<QPushButton>(w, "cSuljeOminaisuudet");
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list(w)->hasFocus(); }, 5000));
}

TEST_F(ContractFeaturesPanelTest, AttachOffersContractFeaturesAndAddsAnEmptyRowToTheShownContract)
{
    t.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 2)"));
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    // A definition without a name is not offered, and opening the window keeps it.
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piNimi IS NULL")), 1);
    QListWidget* catalogue = list(w, "lstAllPi");
    ASSERT_NE(catalogue, nullptr);
    EXPECT_EQ(catalogue->count(), 6); // the sample's five contract features and Kaikki; no member feature

    child<QAction>(w, "mLisaaOminaisuus")->trigger();
    EXPECT_TRUE(catalogue->isVisible());
    const auto found = catalogue->findItems(QStringLiteral("Kaikki"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    catalogue->setCurrentItem(found[0]);
    emit catalogue->itemDoubleClicked(found[0]);

    EXPECT_FALSE(catalogue->isVisible());
    EXPECT_EQ(values(1), 5);
    const qint64 added = t.count(QStringLiteral("SELECT MAX(mtID) FROM mt"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT mtvsID FROM mt WHERE mtID = ?"), {added}), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT mtpiID FROM mt WHERE mtID = ?"), {added}), all);
    // The definition's defaults are not copied: the values wait for the user.
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtID = ? AND mtValDate IS NULL AND mtValLong IS NULL "
                                     "AND mtValCurrency IS NULL AND mtValMemo IS NULL"),
                      {added}),
              1);
    ASSERT_EQ(list(w)->count(), 5);
    EXPECT_EQ(list(w)->currentRow(), 4);
    EXPECT_EQ(child<QLabel>(w, "lKuvaus")->text(), QStringLiteral("Neljä arvoa"));
    for (const char* box : {"tDate", "tLong", "tCurrency"}) {
        EXPECT_TRUE(child(w, box)->isEnabled()) << box;
        EXPECT_TRUE(child(w, box)->text().isEmpty()) << box;
    }
}

TEST_F(ContractFeaturesPanelTest, EachEditorIsStoredInItsFieldAndShownAgainTheSameWay)
{
    struct Case {
        const char* box;
        QString typed;
        const char* expression;
        QString stored;
        QString shown;
    } cases[] = {
        {"tDate", QStringLiteral("1.2.2024"), "mtValDate", QStringLiteral("2024-02-01 00:00:00"),
         QStringLiteral("1.2.2024")},
        {"tLong", QStringLiteral("-42"), "mtValLong", QStringLiteral("-42"), QStringLiteral("-42")},
        {"tCurrency", QStringLiteral("12,50"), "printf('%.4f', mtValCurrency)", QStringLiteral("12.5000"),
         QStringLiteral("12,5")},
        {"tCurrency", QStringLiteral("1 234,56"), "printf('%.4f', mtValCurrency)", QStringLiteral("1234.5600"),
         QStringLiteral("1234,56")},
        {"tMemo", QStringLiteral("Portti pidettävä kiinni\nsyksyllä"), "mtValMemo",
         QStringLiteral("Portti pidettävä kiinni\nsyksyllä"), QStringLiteral("Portti pidettävä kiinni\nsyksyllä")},
    };
    const qint64 mtID = t.value(1, all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        frmVuokra* w = open();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(show(w, QStringLiteral("Kaikki")));
        QWidget* box = child<QWidget>(w, c.box);
        ASSERT_NE(box, nullptr);
        type(box, c.typed);
        QTest::keyClick(box, Qt::Key_F3);
        EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(stored(mtID, c.expression), c.stored);
        ASSERT_TRUE(w->close());
        delete w;

        w = open();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(show(w, QStringLiteral("Kaikki")));
        const auto* line = qobject_cast<QLineEdit*>(child<QWidget>(w, c.box));
        EXPECT_EQ(line ? line->text() : child<QPlainTextEdit>(w, c.box)->toPlainText(), c.shown);
        // Saving the shown value again leaves it as it was.
        QTest::keyClick(w, Qt::Key_F3);
        EXPECT_EQ(stored(mtID, c.expression), c.stored);
        ASSERT_TRUE(w->close());
        delete w;
    }
}

TEST_F(ContractFeaturesPanelTest, AValueThatIsNoNumberIsNeverStoredAndKeepsTheWindowOnIt)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(show(w, QStringLiteral("Vuokrasumma")));
    type(child(w, "tCurrency"), QStringLiteral("12,5 e"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("\"12,5 e\" ei ole rahamäärä")));
    EXPECT_EQ(stored(4, "printf('%.4f', mtValCurrency)"), QStringLiteral("80.0000"));
    EXPECT_EQ(child(w, "tCurrency")->text(), QStringLiteral("12,5 e"));

    // Neither another contract nor closing the window drops what was typed.
    prompter.clear();
    frmVuokra::SearchDialog = [](frmVuokra&) { return qint64(2); };
    w->cHaku_Click();
    EXPECT_EQ(w->currentContractId(), 1);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(prompter.shown().size(), 2u);
    EXPECT_TRUE(child<QGroupBox>(w, "frameOminaisuudet")->isVisible());

    type(child(w, "tCurrency"), QStringLiteral("12,5"));
    EXPECT_TRUE(w->close());
    EXPECT_EQ(stored(4, "printf('%.4f', mtValCurrency)"), QStringLiteral("12.5000"));
}

TEST_F(ContractFeaturesPanelTest, ATypedValueIsWrittenBeforeTheWindowMovesOn)
{
    const std::function<void(frmVuokra*)> moves[] = {
        [](frmVuokra* w) { QTest::keyClick(w, Qt::Key_F3); },
        [](frmVuokra* w) { QTest::keyClick(w, Qt::Key_F5); },
        [](frmVuokra* w) { QTest::keyClick(w, Qt::Key_F2); },
        [](frmVuokra* w) {
            frmVuokra::SearchDialog = [](frmVuokra&) { return qint64(2); };
            w->cHaku_Click();
        },
        [](frmVuokra* w) { w->close(); },
    };
    int number = 100;
    for (const auto& move : moves) {
        SCOPED_TRACE(number);
        frmVuokra* w = open();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(show(w, QStringLiteral("Pinta-ala hehtaareina")));
        type(child(w, "tLong"), QString::number(++number));
        move(w);
        EXPECT_EQ(stored(3, "mtValLong"), QString::number(number));
        EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
        delete frmVuokra::Instance();
    }
}

TEST_F(ContractFeaturesPanelTest, RemoveAsksAndDeletesOnlyOnYes)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(show(w, QStringLiteral("Vuokrasumma")));
    auto* remove = child<QPushButton>(w, "cPoistaPiirre");
    ASSERT_NE(remove, nullptr);
    prompter.answerNo();
    remove->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Poistetaanko valittu ominaisuus?")});
    EXPECT_EQ(values(1), 4);
    ASSERT_TRUE(show(w, QStringLiteral("Vuokrasumma")));
    prompter.answerYes();
    remove->click();
    EXPECT_EQ(values(1), 3);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtID = 4")), 0);
    EXPECT_EQ(list(w)->count(), 3);
    EXPECT_TRUE(list(w)->findItems(QStringLiteral("Vuokrasumma"), Qt::MatchExactly).isEmpty());
}

TEST_F(ContractFeaturesPanelTest, ANewContractNotYetWrittenGetsNoFeature)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, Qt::Key_F2);
    child<QPushButton>(w, "cAvaaOminaisuudet")->click();
    EXPECT_EQ(list(w)->count(), 0);
    child<QPushButton>(w, "cLisaaPiirre")->click();
    QListWidget* catalogue = list(w, "lstAllPi");
    ASSERT_NE(catalogue, nullptr);
    catalogue->setCurrentRow(0);
    emit catalogue->itemDoubleClicked(catalogue->currentItem());
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tallenna sopimus ennen ominaisuuden lisäämistä.")});
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt")), 51);
}

TEST_F(ContractFeaturesPanelTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(show(w, QStringLiteral("Vuokrasumma")));
    QApplication::processEvents();
    w->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/frmVuokra_ominaisuudet.png"));
}
