#include "support/Controls.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmValitseElaimet.h"
#include "contracts/ui/frmVuokra.h"
#include "../ContractTestDb.h"
#include "support/WhenModalShown.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

QListWidget* listOf(QWidget& w)
{
    return w.findChild<QListWidget*>(QStringLiteral("lstElaimet"));
}

// The entries as "name" or "[x] name" when ticked.
QStringList entries(QWidget& w)
{
    QStringList out;
    QListWidget* list = listOf(w);
    for (int i = 0; list && i < list->count(); ++i)
        out << (list->item(i)->checkState() == Qt::Checked ? QStringLiteral("[x] ") : QString()) + list->item(i)->text();
    return out;
}

void tick(QWidget& w, const QString& text, bool on)
{
    for (QListWidgetItem* item : listOf(w)->findItems(text, Qt::MatchExactly))
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

QStringList names(const std::vector<cElain>& animals)
{
    QStringList out;
    for (const cElain& a : animals)
        out << a.Nimi;
    return out;
}

TEST(frmValitseElaimet, OkAnswersTheTickedEntriesInListOrder)
{
    ContractTestDb t;
    frmValitseElaimet picker;
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("Tikkeli - Valitse eläimet"));
    picker.FillElaimet({{3, "Ilves"}, {1, "Karhu"}, {2, "Susi"}, {2, "Susi (toinen)"}});
    // An id not in the list ticks nothing; one id ticks every entry that carries it.
    picker.SelectElaimet({{2, "Susi"}, {9, "Poistettu"}, {3, "Ilves"}});
    EXPECT_EQ(entries(picker), (QStringList{"[x] Ilves", "Karhu", "[x] Susi", "[x] Susi (toinen)"}));
    EXPECT_FALSE(picker.ValitutElaimet.has_value());
    tick(picker, QStringLiteral("Susi (toinen)"), false);
    tick(picker, QStringLiteral("Karhu"), true);
    test::Control<QPushButton>(picker, QStringLiteral("cOK"))->click();
    ASSERT_TRUE(picker.ValitutElaimet.has_value());
    EXPECT_EQ(names(*picker.ValitutElaimet), (QStringList{"Ilves", "Karhu", "Susi"}));
    EXPECT_EQ(picker.ValitutElaimet->at(1).id, 1);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
}

TEST(frmValitseElaimet, EveryWayOutButOkLeavesNoAnswer)
{
    ContractTestDb t;
    const std::pair<const char*, std::function<void(frmValitseElaimet&)>> ways[] = {
        {"Peruuta", [](frmValitseElaimet& p) { test::Control<QPushButton>(p, QStringLiteral("cPeru"))->click(); }},
        {"Esc", [](frmValitseElaimet& p) { QTest::keyClick(&p, Qt::Key_Escape); }},
        {"close box", [](frmValitseElaimet& p) { p.close(); }},
    };
    for (const auto& [what, leave] : ways) {
        frmValitseElaimet picker;
        picker.FillElaimet({{1, "Karhu"}});
        picker.SelectElaimet({{1, "Karhu"}});
        test::WhenModalShown<frmValitseElaimet>([&leave = leave](frmValitseElaimet& p) { leave(p); });
        EXPECT_EQ(picker.exec(), QDialog::Rejected) << what;
        EXPECT_FALSE(picker.ValitutElaimet.has_value()) << what;
    }
}

class ContractAnimalChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.db.execute(QStringLiteral("UPDATE vs SET vsKoskee = 4, vsEiKoskeSeuraavia = 'Susi, Karhu' WHERE vsID = ?"),
                     {t.aho});
        t.link(t.aho, t.susi);
        t.link(t.aho, t.karhu);
        t.link(t.berg, t.susi);
    }
    void TearDown() override
    {
        if (auto* w = frmVuokra::Instance())
            delete w;
    }
    frmVuokra* open()
    {
        frmVuokra* w = frmVuokra::Load();
        if (w) {
            button = w->findChild<QPushButton*>(QStringLiteral("cValitseElaimet"));
            namesBox = w->findChild<QLineEdit*>(QStringLiteral("tElaimet"));
        }
        return w;
    }
    // Runs the animal button; answer acts in the picker while it is shown.
    QStringList choose(std::function<void(frmValitseElaimet&)> answer)
    {
        QStringList seen;
        test::WhenModalShown<frmValitseElaimet>([&seen, answer](frmValitseElaimet& p) {
            seen = entries(p);
            answer(p);
        });
        button->click();
        return seen;
    }
    static void press(frmValitseElaimet& p, const char* name)
    {
        test::Control<QPushButton>(p, QLatin1String(name))->click();
    }

    test::AnimalTestDb t;
    ScriptedPrompter prompter;
    QPushButton* button = nullptr;
    QLineEdit* namesBox = nullptr;
};

} // namespace

TEST_F(ContractAnimalChoiceTest, ButtonServesOnlyTheCoveragesThatNameAnimals)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsKoskee = 1 WHERE vsID = ?"), {t.aho});
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    EXPECT_FALSE(button->isEnabled());
    for (int option = 1; option <= 4; ++option) {
        auto* radio = w->findChild<QRadioButton*>(QStringLiteral("optKoskee_%1").arg(option));
        ASSERT_NE(radio, nullptr);
        radio->click();
        EXPECT_EQ(button->isEnabled(), option >= 3) << option;
        EXPECT_EQ(namesBox->isEnabled(), option >= 3) << option;
    }
}

TEST_F(ContractAnimalChoiceTest, OkStoresTheLinksAndTheNamesTextAtOnce)
{
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    ASSERT_EQ(w->currentContractId(), t.aho);
    const QStringList seen = choose([](frmValitseElaimet& p) {
        tick(p, QStringLiteral("Susi"), false);
        tick(p, QStringLiteral("Ilves"), true);
        press(p, "cOK");
    });
    EXPECT_EQ(seen, (QStringList{"Ilves", "[x] Karhu", "[x] Susi"}));
    EXPECT_EQ(t.animalLinks(t.aho), (std::vector<qint64>{t.ilves, t.karhu}));
    EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Ilves, Karhu")));
    EXPECT_EQ(namesBox->text(), QStringLiteral("Ilves, Karhu"));
    EXPECT_EQ(t.animalLinks(t.berg), std::vector<qint64>{t.susi}) << "another contract's links stay";
    EXPECT_EQ(w->Data1.editMode(), EditMode::None) << "nothing is left pending on the card";
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ContractAnimalChoiceTest, OkWithNothingTickedEmptiesTheContractsAnimals)
{
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    choose([](frmValitseElaimet& p) {
        tick(p, QStringLiteral("Susi"), false);
        tick(p, QStringLiteral("Karhu"), false);
        press(p, "cOK");
    });
    EXPECT_TRUE(t.animalLinks(t.aho).empty());
    EXPECT_TRUE(t.animalNamesText(t.aho).isNull());
    EXPECT_EQ(namesBox->text(), QString());
}

TEST_F(ContractAnimalChoiceTest, PeruutaEscAndTheCloseBoxTouchNothing)
{
    t.link(t.aho, 999); // an animal deleted long ago
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    const std::pair<const char*, std::function<void(frmValitseElaimet&)>> ways[] = {
        {"Peruuta", [](frmValitseElaimet& p) { press(p, "cPeru"); }},
        {"Esc", [](frmValitseElaimet& p) { QTest::keyClick(&p, Qt::Key_Escape); }},
        {"close box", [](frmValitseElaimet& p) { p.close(); }},
    };
    for (const auto& [what, leave] : ways) {
        choose([&leave = leave](frmValitseElaimet& p) {
            tick(p, QStringLiteral("Ilves"), true);
            leave(p);
        });
        EXPECT_EQ(t.animalLinks(t.aho), (std::vector<qint64>{t.susi, t.karhu, 999})) << what;
        EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Susi, Karhu"))) << what;
        EXPECT_EQ(namesBox->text(), QStringLiteral("Susi, Karhu")) << what;
        EXPECT_EQ(w->Data1.editMode(), EditMode::None) << what;
    }
}

TEST_F(ContractAnimalChoiceTest, NewContractIsWrittenFirstSoItsLinksHaveItsKey)
{
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    w->cUusi_Click();
    auto* nameBox = w->findChild<QLineEdit*>(QStringLiteral("tNimi"));
    ASSERT_NE(nameBox, nullptr);
    nameBox->setText(QStringLiteral("Uusi vuokranantaja"));
    test::Control<QRadioButton>(*w, QStringLiteral("optKoskee_3"))->click();
    ASSERT_TRUE(button->isEnabled());
    choose([](frmValitseElaimet& p) {
        tick(p, QStringLiteral("Karhu"), true);
        press(p, "cOK");
    });
    const qint64 added =
        t.db.scalar(QStringLiteral("SELECT vsID FROM vs WHERE vsNimi = 'Uusi vuokranantaja' AND vsKoskee = 3")).toInt64();
    ASSERT_NE(added, 0);
    EXPECT_EQ(w->currentContractId(), added);
    EXPECT_EQ(t.animalLinks(added), std::vector<qint64>{t.karhu});
    EXPECT_EQ(t.animalNamesText(added), Value(QStringLiteral("Karhu")));
    EXPECT_EQ(namesBox->text(), QStringLiteral("Karhu"));
}

TEST_F(ContractAnimalChoiceTest, NamesTooLongForTheContractAreRefusedAndNothingChanges)
{
    for (int i = 0; i < 12; ++i)
        t.animal(QStringLiteral("Pitkänimisin eläinlaji %1").arg(i, 2, 10, QLatin1Char('0')));
    frmVuokra* w = open();
    ASSERT_TRUE(w && button && namesBox);
    choose([](frmValitseElaimet& p) {
        QListWidget* list = listOf(p);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Checked);
        press(p, "cOK");
    });
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts().first().startsWith(QStringLiteral("Valittujen eläinten nimet eivät mahdu")));
    EXPECT_EQ(t.animalLinks(t.aho), (std::vector<qint64>{t.susi, t.karhu}));
    EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Susi, Karhu")));
    EXPECT_EQ(namesBox->text(), QStringLiteral("Susi, Karhu"));
}
