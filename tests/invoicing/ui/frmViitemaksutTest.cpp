#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/Folders.h"
#include "base/ScriptedPrompter.h"
#include "invoicing/ui/frmViitemaksut.h"
#include "settings/DatabaseSettingsStore.h"
#include "support/BankFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;
using tikkeli::test::DomesticBankFile;
using tikkeli::test::InvoiceTestDb;

namespace {

class frmViitemaksutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        member = t.member(QStringLiteral("Virtanen"), QStringLiteral("Ville"));
        // Three open invoices of 20,00 with two rows each, one of 12,30, and one whose member is gone.
        for (int k = 0; k < 3; ++k)
            invoices.push_back(history(QStringLiteral("1%1").arg(k + 1) + QStringLiteral("000"), "20,00", member, 800 + k));
        wrongSum = history(QStringLiteral("1232"), "12,30", member, 810);
        orphan = history(QStringLiteral("1245"), "10,00", member + 500, 811);
    }
    qint64 history(const QString& reference, const char* price, qint64 memberId, qint64 invoiceId)
    {
        t.db.execute(
            QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmViitenumero, jmhjmHinta, jmhjmjrID) VALUES (?, ?, ?, ?)"),
            {Value(invoiceId), Value(reference), Value(Currency::parse(QString::fromLatin1(price)).value()),
             Value(memberId)});
        const qint64 id = t.db.lastInsertId();
        for (int k = 0; k < 2; ++k)
            t.db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID) VALUES (?)"), {Value(invoiceId)});
        return id;
    }
    QString writeFile(const QByteArray& bytes)
    {
        const QString path = t.env.documentsFolder() + QStringLiteral("/viitteet.dat");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
    // Two batches: the first with the three invoices, a wrong sum, an unknown reference and the
    // orphan; the second with one payment.
    QByteArray twoBatches()
    {
        DomesticBankFile f;
        f.batch("261207", "1030", "47", "123456789")
            .payment(QStringLiteral("11000"), QStringLiteral("Virtanen"), 2000)
            .payment(QStringLiteral("12000"), QStringLiteral("Virtanen"), 2000)
            .payment(QStringLiteral("13000"), QStringLiteral("Virtanen"), 2000)
            .payment(QStringLiteral("1232"), QStringLiteral("Laine"), 1234)
            .payment(QStringLiteral("99998"), QStringLiteral("Outo"), 5)
            .payment(QStringLiteral("1245"), QStringLiteral("Poissa"), 1000)
            .correction(QStringLiteral("11000"), QStringLiteral("Korjaus"), 2000)
            .summary();
        f.batch("261208", "0905", "47", "123456789")
            .payment(QStringLiteral("1232"), QStringLiteral("Laine"), 1230)
            .summary();
        return f.bytes();
    }
    std::unique_ptr<frmViitemaksut> openWindow() { return test::openShown<frmViitemaksut>(); }
    static QStringList texts(QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    void open(frmViitemaksut* w, const QString& path)
    {
        prompter.answerText(path);
        auto* avaa = Control<QAction>(*w, "mAvaa");
        avaa->trigger();
    }

    InvoiceTestDb t{InvoiceTestDb::Template};
    ScriptedPrompter prompter;
    qint64 member = 0, wrongSum = 0, orphan = 0;
    std::vector<qint64> invoices;
};

TEST_F(frmViitemaksutTest, OpensAFileAndSortsTheFirstBatchIntoItsLists)
{
    auto w = openWindow();
    ASSERT_TRUE(w->loaded());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Viitemaksut"));
    const QString path = writeFile(twoBatches());
    open(w.get(), path);
    auto* batches = Control<QComboBox>(*w, "cmbErat");
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    auto* check = Control<QListWidget>(*w, "lstTarkistettavat");
    auto* wrong = Control<QListWidget>(*w, "lstVirheet");
    auto* file = Control<QLabel>(*w, "lblTiedosto");
    EXPECT_EQ(file->text(), path);
    ASSERT_EQ(batches->count(), 2);
    EXPECT_EQ(batches->itemText(0), QStringLiteral("7.12.2026"));
    EXPECT_EQ(batches->itemText(1), QStringLiteral("8.12.2026"));
    EXPECT_TRUE(batches->isEnabled());
    EXPECT_EQ(texts(arrived),
              (QStringList{QStringLiteral("20,00 - 11000 - Virtanen"), QStringLiteral("20,00 - 12000 - Virtanen"),
                           QStringLiteral("20,00 - 13000 - Virtanen")}));
    EXPECT_EQ(texts(wrong), QStringList{QStringLiteral("Summa: 12,34 - 1232 - Laine")});
    EXPECT_EQ(texts(check), (QStringList{QStringLiteral("Viitettä ei löydy: 0,05 - 99998 - Outo"),
                                         QStringLiteral("Henkilö: 10,00 - 1245 - Poissa")}));
    ASSERT_EQ(check->count(), 2);
    EXPECT_EQ(check->item(0)->data(Qt::UserRole).toLongLong(), -1);
    EXPECT_EQ(check->item(1)->data(Qt::UserRole).toLongLong(), orphan);

    const std::pair<const char*, const char*> labels[] = {
        {"lblPvm", "7.12.2026"},    {"lblAika", "10.30"}, {"lblPankki", "47"},    {"lblLaskuttaja", "123456789"},
        {"lblRahayksikko", "Euro"}, {"lblTapKPL", "6"},   {"lblTapSUM", "82,39"}, {"lblOikKPL", "1"},
        {"lblOikSUM", "20,00"},     {"lblEpaKPL", "0"},   {"lblEpaSUM", "0,00"},
    };
    for (const auto& [name, text] : labels) {
        auto* l = Control<QLabel>(*w, name);
        EXPECT_EQ(l->text(), QString::fromUtf8(text)) << name;
    }
    // The folder is remembered for the next start.
    EXPECT_EQ(State().RefPaymentFolder, path);
    EXPECT_EQ(DatabaseSettingsStore(t.db, QStringLiteral("TIKKELI")).read(QStringLiteral("ViiteHakemisto")), path);

    // Choosing the second batch and leaving the list shows it.
    batches->setCurrentIndex(1);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(batches, &out);
    EXPECT_EQ(texts(arrived), QStringList{QStringLiteral("12,30 - 1232 - Laine")});
    EXPECT_EQ(texts(wrong), QStringList());
    EXPECT_EQ(Control<QLabel>(*w, "lblPvm")->text(), QStringLiteral("8.12.2026"));
}

TEST_F(frmViitemaksutTest, TabsShowTheirFramesAndTheirTexts)
{
    auto w = openWindow();
    auto* tabs = Control<QTabWidget>(*w, "TabStr1");
    ASSERT_EQ(tabs->count(), 4);
    const char* titles[] = {"Saapuneet maksut", "Tarkistettavat maksut (saajaa ei löydy)",
                            "Virheelliset maksut (summa ei täsmää)", "Erätiedot"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(titles[i]));
        EXPECT_EQ(tabs->widget(i)->objectName(), QStringLiteral("frameTabs_%1").arg(i + 1));
    }
    EXPECT_EQ(w->currentTab(), 1);
    tabs->setCurrentIndex(3);
    EXPECT_EQ(w->currentTab(), 4);
    EXPECT_TRUE(Control<QLabel>(*w, "lblTapKPL")->isVisible());
    EXPECT_FALSE(Control<QListWidget>(*w, "lstSaapuneet")->isVisible());
}

TEST_F(frmViitemaksutTest, MarkingThreeWithDeleteTicked)
{
    auto w = openWindow();
    open(w.get(), writeFile(twoBatches()));
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    auto* mark = Control<QPushButton>(*w, "cMaksetuksi");
    auto* all = Control<QPushButton>(*w, "cValitseKaikki");
    auto* none = Control<QPushButton>(*w, "cPoistaValinnat");
    auto* deletePaid = Control<QCheckBox>(*w, "chkPoistamaksettu");
    ASSERT_EQ(arrived->count(), 3);
    all->click();
    EXPECT_EQ(arrived->selectedItems().size(), 3);
    none->click();
    EXPECT_EQ(arrived->selectedItems().size(), 0);
    all->click();
    deletePaid->setChecked(true);
    mark->click();
    EXPECT_EQ(arrived->count(), 0);
    for (qint64 id : invoices)
        EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ?"), {Value(id)}), 0);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID IN (800, 801, 802)")), 0);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi"), QStringLiteral("jmRjmID IN (810, 811)")), 4);
    EXPECT_EQ(t.count(QStringLiteral("jmhist")), 2);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(frmViitemaksutTest, MarkingOneWithoutDeleteKeepsTheOthers)
{
    auto w = openWindow();
    open(w.get(), writeFile(twoBatches()));
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    auto* mark = Control<QPushButton>(*w, "cMaksetuksi");
    ASSERT_EQ(arrived->count(), 3);
    arrived->item(1)->setSelected(true);
    mark->click();
    EXPECT_EQ(texts(arrived),
              (QStringList{QStringLiteral("20,00 - 11000 - Virtanen"), QStringLiteral("20,00 - 13000 - Virtanen")}));
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = 1")), 1);
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ? AND jmhjmMaksettu = 1"), {Value(invoices[1])}), 1);
}

// The rows left after a marking are put back in one go: each must still stand for its own invoice.
TEST_F(frmViitemaksutTest, RowsLeftAfterMarkingScatteredOnesStayOnTheirInvoices)
{
    auto w = openWindow();
    open(w.get(), writeFile(twoBatches()));
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    auto* mark = Control<QPushButton>(*w, "cMaksetuksi");
    ASSERT_EQ(arrived->count(), 3);
    arrived->item(0)->setSelected(true);
    arrived->item(2)->setSelected(true);
    mark->click();
    EXPECT_EQ(texts(arrived), QStringList{QStringLiteral("20,00 - 12000 - Virtanen")});
    EXPECT_TRUE(arrived->selectedItems().isEmpty());
    for (const qint64 id : {invoices[0], invoices[2]})
        EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ? AND jmhjmMaksettu = 1"), {Value(id)}), 1);
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = 1")), 2);
    Control<QPushButton>(*w, "cValitseKaikki")->click();
    mark->click();
    EXPECT_EQ(arrived->count(), 0);
    EXPECT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhID = ? AND jmhjmMaksettu = 1"), {Value(invoices[1])}), 1);
}

TEST_F(frmViitemaksutTest, CancelDamageAndEmptyFiles)
{
    auto w = openWindow();
    State().RefPaymentFolder = QStringLiteral("/alku");
    prompter.answerText(std::nullopt);
    Control<QAction>(*w, "mAvaa")->trigger();
    EXPECT_EQ(State().RefPaymentFolder, QStringLiteral("/alku"));
    EXPECT_TRUE(Control<QLabel>(*w, "lblTiedosto")->text().isEmpty());

    open(w.get(), writeFile(twoBatches()));
    ASSERT_EQ(Control<QListWidget>(*w, "lstSaapuneet")->count(), 3);
    // A damaged file shows why and leaves nothing to mark.
    QByteArray damaged = twoBatches();
    damaged[92 + 80] = 'x';
    open(w.get(), writeFile(damaged));
    ASSERT_FALSE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(prompter.messageTexts().back().contains(QStringLiteral("rivillä 2")));
    EXPECT_EQ(Control<QListWidget>(*w, "lstSaapuneet")->count(), 0);
    EXPECT_EQ(Control<QComboBox>(*w, "cmbErat")->count(), 0);

    open(w.get(), writeFile(QByteArray("\r\n")));
    EXPECT_EQ(prompter.messageTexts().back(), QStringLiteral("Tiedostosta ei löydy viitemaksutietueita."));

    // One batch: the batch list is disabled.
    DomesticBankFile one;
    one.batch().payment(QStringLiteral("11000"), QStringLiteral("V"), 2000).summary();
    open(w.get(), writeFile(one.bytes()));
    EXPECT_FALSE(Control<QComboBox>(*w, "cmbErat")->isEnabled());
    EXPECT_EQ(prompter.unexpected(), 0);
}

} // namespace

#include "ui/FormRegistry.h"
#include "invoicing/ui/InvoicingWindows.h"
#include "invoicing/ui/frmMaksut.h"

namespace {

TEST_F(frmViitemaksutTest, ThePaymentBookOpensTheImport)
{
    RegisterInvoicingWindows();
    auto book = std::make_unique<frmMaksut>();
    book->show();
    auto* read = Control<QAction>(*book, "mLueViitemaksut");
    EXPECT_TRUE(read->isEnabled());
    read->trigger();
    QApplication::processEvents();
    QWidget* import = FormRegistry::find(QStringLiteral("frmViitemaksut"));
    ASSERT_TRUE(import);
    EXPECT_TRUE(import->isVisible());
    import->close();
    delete import;
}

} // namespace

namespace {

TEST_F(frmViitemaksutTest, FileChooserStartsInTheDocumentsUntilAFileWasChosen)
{
    auto w = openWindow();
    const struct {
        QString remembered;
        QString expectedFolder;
    } cases[] = {
        {ProgramFolder(), DocumentsFolder()}, // the setting's value until a file was chosen
        {QString(), DocumentsFolder()},
        {t.env.root() + QStringLiteral("/pankki/viitteet.dat"), t.env.root() + QStringLiteral("/pankki")},
    };
    for (const auto& c : cases) {
        State().RefPaymentFolder = c.remembered;
        prompter.clear();
        prompter.answerText(std::nullopt);
        Control<QAction>(*w, "mAvaa")->trigger();
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(QDir::cleanPath(prompter.shown()[0].request.folder), QDir::cleanPath(c.expectedFolder))
            << c.remembered.toStdString();
    }
}

TEST_F(frmViitemaksutTest, SelectAllAndClearReachEveryArrivedPayment)
{
    DomesticBankFile f;
    f.batch();
    for (int k = 0; k < 3; ++k)
        f.payment(QString::number(11000 + 1000 * k), QStringLiteral("Virtanen"), 2000);
    f.summary();
    auto w = openWindow();
    open(w.get(), writeFile(f.bytes()));
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    ASSERT_EQ(arrived->count(), 3);
    int selectionSignals = 0;
    QObject::connect(arrived->selectionModel(), &QItemSelectionModel::selectionChanged, [&] { ++selectionSignals; });
    Control<QPushButton>(*w, "cValitseKaikki")->click();
    EXPECT_EQ(arrived->selectedItems().size(), 3);
    // One change for the whole list, not one per row.
    EXPECT_EQ(selectionSignals, 1);
    Control<QPushButton>(*w, "cPoistaValinnat")->click();
    EXPECT_TRUE(arrived->selectedItems().isEmpty());
    EXPECT_EQ(selectionSignals, 2);
}

TEST_F(frmViitemaksutTest, TheSameFileReadAgainListsItsPaymentsAsAlreadyPaid)
{
    auto w = openWindow();
    const QString path = writeFile(twoBatches());
    open(w.get(), path);
    auto* arrived = Control<QListWidget>(*w, "lstSaapuneet");
    auto* check = Control<QListWidget>(*w, "lstTarkistettavat");
    ASSERT_EQ(arrived->count(), 3);
    Control<QPushButton>(*w, "cValitseKaikki")->click();
    Control<QPushButton>(*w, "cMaksetuksi")->click();
    ASSERT_EQ(t.count(QStringLiteral("jmhist"), QStringLiteral("jmhjmMaksettu = 1")), 3);

    open(w.get(), path);
    EXPECT_EQ(arrived->count(), 0);
    QStringList listed = texts(check);
    for (const char* reference : {"11000", "12000", "13000"})
        EXPECT_TRUE(listed.contains(QStringLiteral("Jo maksettu: 20,00 - %1 - Virtanen").arg(QLatin1String(reference))))
            << listed.join(QLatin1Char('|')).toStdString();
}

} // namespace
