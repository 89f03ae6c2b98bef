// Another program restores a backup over the club file while windows of this one hold it: no window
// writes what it read from the old file, or what was typed against it, into the restored one.
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisPoisto.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "invoicing/ui/frmViitemaksut.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "maps/MapStorage.h"
#include "maps/ui/MapView.h"
#include "maps/ui/frmKartta.h"
#include "members/ui/frmMoniliitos.h"
#include "settings/SettingsLoader.h"
#include "settings/ui/frmAsetukset.h"
#include "../contracts/ContractTestDb.h"
#include "support/BankFiles.h"
#include "support/Controls.h"
#include "support/OtherProgramRestore.h"
#include "support/SourceClasses.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <set>

using namespace tikkeli;
using test::Control;

namespace {

const QString Typed = QStringLiteral("Kirjoitettu");

class ReplacedFileWindows : public ::testing::Test {
public:
    test::ContractTestDb t{test::ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    // The sample club's first estate without a boundary.
    qint64 undrawn = 0;

    void SetUp() override
    {
        test::MessagesRunTheEventLoop(prompter);
        LoadSettings(t.db, true);
        State().BackupFolder = t.env.documentsFolder() + QStringLiteral("/");
        QImage white(1200, 900, QImage::Format_RGB32);
        white.fill(Qt::white);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        white.save(&buffer, "PNG");
        MapStorage::SavePictureBytes(t.db, png);
        undrawn =
            t.db.scalar(QStringLiteral("SELECT min(tlID) FROM tl WHERE tlID NOT IN (SELECT rjtlID FROM rj)")).toInt64();
        frmKartta::PickEstate = [this](QWidget*, frmKartta::EstateFilter) { return undrawn; };
    }
    void TearDown() override { frmKartta::PickEstate = {}; }

    // An unpaid invoice of the file as it is now, the last but `offset` by its row.
    qint64 unpaid(int offset)
    {
        return t.db
            .scalar(QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhjmMaksettu = 0 ORDER BY jmhID DESC LIMIT 1 OFFSET ?"),
                    {Value(offset)})
            .toInt64();
    }
    QString reference(qint64 historyId)
    {
        return t.db.scalar(QStringLiteral("SELECT jmhjmViitenumero FROM jmhist WHERE jmhID = ?"), {Value(historyId)})
            .toString();
    }
    // A bank file paying the invoice in full, opened in the import window.
    void payInFull(frmViitemaksut& w, qint64 historyId)
    {
        const qint64 cents = qRound64(
            t.db.scalar(QStringLiteral("SELECT jmhjmHinta FROM jmhist WHERE jmhID = ?"), {Value(historyId)}).toDouble()
            * 100);
        const QString path = t.env.documentsFolder() + QStringLiteral("/viitteet.dat");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(test::DomesticBankFile()
                    .batch()
                    .payment(reference(historyId), QStringLiteral("Maksaja"), cents)
                    .summary()
                    .bytes());
        f.close();
        prompter.answerText(path);
        Control<QAction>(w, "mAvaa")->trigger();
    }
};

template <class W>
W* shown(W* w)
{
    w->show();
    QApplication::processEvents();
    return w;
}

template <class T>
T* c(QWidget& w, const char* name)
{
    return Control<T>(w, name);
}

// One road by which a window stores. open: the window on the file as it is, with a change typed
// or chosen in it; restore: what the backup restored over the file holds instead (%1 the round's
// mark, %2 its number, %3 the invoice the window works on); answers: the user's answers to the
// questions the road asks, each time it is taken; follows: whether the window shows the restored
// file's data and nothing of the old (mark given); stored: what the file holds of it, which no
// road may change.
struct Road {
    const char* window;
    const char* road;
    std::function<QWidget*(ReplacedFileWindows&)> open;
    QString restore;
    std::vector<MsgResult> answers;
    std::function<void(QWidget&)> store;
    std::function<bool(QWidget&, const QString& mark)> follows;
    QString stored;
    bool endsTheWindow = false; // the road ends the window whatever it met
};

QWidget* templateEditor(ReplacedFileWindows&)
{
    auto* w = shown(new frmRaportinMuokkaus);
    c<QListWidget>(*w, "lstRaps")->setCurrentRow(0);
    c<QLineEdit>(*w, "tRaportinNimi")->setText(Typed);
    return w;
}
bool showsTemplate(QWidget& w, const QString& mark)
{
    return c<QLineEdit>(w, "tRaportinNimi")->text().startsWith(mark);
}
const QString TemplatesRestored = QStringLiteral("UPDATE rp SET rpDef = json_set(rpDef, '$.name', '%1-' || rpID)");

QWidget* settingsWindow(ReplacedFileWindows& f)
{
    LoadSettings(f.t.db, true);
    auto* w = shown(new frmAsetukset);
    c<QLineEdit>(*w, "tNimi")->setText(Typed);
    c<QLineEdit>(*w, "tMuistutuskulut")->setText(QStringLiteral("9"));
    return w;
}
bool showsSettings(QWidget& w, const QString& mark)
{
    return c<QLineEdit>(w, "tNimi")->text() == mark && c<QLineEdit>(w, "tMuistutuskulut")->text() != QStringLiteral("9");
}
const QString SettingsRestored = QStringLiteral("UPDATE Settings SET setString = '%1' WHERE setKey = 'RegName'; "
                                                "UPDATE Settings SET setString = '1%2,00' WHERE setKey = 'Muistutuskulut'");

QWidget* drawing(ReplacedFileWindows&)
{
    frmKartta* w = frmKartta::Load();
    w->resize(1000, 700);
    QApplication::processEvents();
    w->cPiirra_Click();
    auto* view = c<MapView>(*w, "Picture1");
    for (const QPointF corner : {QPointF(1500, 1500), QPointF(4500, 1500), QPointF(4500, 4500)})
        QTest::mouseClick(view, Qt::LeftButton, {}, view->widgetPosOf(corner).toPoint());
    return w;
}
bool drawingDropped(QWidget& w, const QString&)
{
    const auto& map = static_cast<frmKartta&>(w);
    return map.tool().idle() && map.tool().chain().empty();
}

QWidget* invoiceRun(ReplacedFileWindows&)
{
    auto* w = shown(new frmMaksujenLuonti);
    auto* recipients = c<QComboBox>(*w, "cmbNimet");
    recipients->setCurrentIndex(recipients->findData(3));
    c<QCheckBox>(*w, "chkRivi0")->setChecked(true);
    c<QLineEdit>(*w, "tRiviTeksti0")->setText(Typed);
    c<QLineEdit>(*w, "tRiviSumma0")->setText(QStringLiteral("10,00"));
    c<QLineEdit>(*w, "tLaskunPaiva")->setText(QStringLiteral("1.2.2027"));
    c<QLineEdit>(*w, "tLaskunErapaiva")->setText(QStringLiteral("1.3.2027"));
    c<QComboBox>(*w, "cmbMaksunOtsake")->setEditText(Typed);
    return w;
}
bool recipientChosenAgain(QWidget& w, const QString& mark)
{
    auto* recipients = c<QComboBox>(w, "cmbNimet");
    return recipients->currentIndex() < 0 && recipients->itemText(recipients->findData(3)).startsWith(mark);
}

qint64 invoiceOf(const QWidget& w)
{
    return w.property("invoice").toLongLong();
}

// The grid row of an invoice, -1 when it is not listed.
int gridRow(QWidget& w, qint64 historyId)
{
    auto* grid = c<QTableWidget>(w, "grd");
    for (int row = 0; row < grid->rowCount(); ++row)
        if (grid->item(row, 0)->text() == QString::number(historyId))
            return row;
    return -1;
}

QWidget* attach(QWidget* w, bool ticks)
{
    shown(w);
    c<QListWidget>(*w, "lstAllPt")->setCurrentRow(0);
    QListWidgetItem* owner = c<QListWidget>(*w, "lstJR")->item(0);
    if (ticks)
        owner->setCheckState(Qt::Checked);
    else
        owner->setSelected(true);
    return w;
}
bool featuresListedAgain(QWidget& w, const QString& mark)
{
    auto* features = c<QListWidget>(w, "lstAllPt");
    return !features->currentItem() && features->count() > 0 && features->item(0)->text().startsWith(mark);
}
const QString FeaturesRestored = QStringLiteral("UPDATE pi SET piNimi = '%1-' || piID");

const std::vector<Road>& roads()
{
    using R = ReplacedFileWindows;
    static const std::vector<Road> table = {
        {"frmRaportinMuokkaus",
         "Tallenna",
         templateEditor,
         TemplatesRestored,
         {},
         [](QWidget& w) { c<QPushButton>(w, "cTallenna")->click(); },
         showsTemplate,
         "SELECT rpDef FROM rp ORDER BY rpID"},
        {"frmRaportinMuokkaus",
         "Sulje",
         templateEditor,
         TemplatesRestored,
         {MsgResult::No},
         [](QWidget& w) { c<QPushButton>(w, "cSulje")->click(); },
         showsTemplate,
         "SELECT rpDef FROM rp ORDER BY rpID"},
        {"frmRaportinMuokkaus",
         "another template",
         templateEditor,
         TemplatesRestored,
         {},
         [](QWidget& w) {
             auto* list = c<QListWidget>(w, "lstRaps");
             list->setCurrentRow(list->currentRow() == 0 ? 1 : 0);
         },
         showsTemplate,
         "SELECT rpDef FROM rp ORDER BY rpID"},
        {"frmAsetukset",
         "Tallenna",
         settingsWindow,
         SettingsRestored,
         {},
         [](QWidget& w) { c<QPushButton>(w, "cTallenna")->click(); },
         showsSettings,
         "SELECT setKey || '=' || setString FROM Settings WHERE setKey IN ('RegName', 'Muistutuskulut') ORDER BY setKey"},
        {"frmAsetukset",
         "Sulje",
         settingsWindow,
         SettingsRestored,
         {MsgResult::Yes},
         [](QWidget& w) { c<QPushButton>(w, "cSulje")->click(); },
         showsSettings,
         "SELECT setKey || '=' || setString FROM Settings WHERE setKey IN ('RegName', 'Muistutuskulut') ORDER BY setKey"},
        {"frmKartta",
         "the drawing's right click",
         drawing,
         "UPDATE tl SET tlTilaPalsta = '%1'",
         {MsgResult::Yes},
         [](QWidget& w) {
             auto* view = c<MapView>(w, "Picture1");
             QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
             static_cast<frmKartta&>(w).popupMenu()->close();
         },
         drawingDropped,
         "SELECT count(*) FROM rj"},
        {"frmKartta",
         "Sulje",
         drawing,
         "UPDATE tl SET tlTilaPalsta = '%1'",
         {MsgResult::Yes},
         [](QWidget& w) { w.close(); },
         drawingDropped,
         "SELECT count(*) FROM rj"},
        {"frmMaksujenLuonti",
         "Lisää",
         invoiceRun,
         "UPDATE jr SET jrSukunimi = '%1' WHERE jrID = 3",
         {},
         [](QWidget& w) { c<QAction>(w, "mLisaaYksittainen")->trigger(); },
         recipientChosenAgain,
         "SELECT count(*) FROM jm"},
        {"frmMaksutListana",
         "Enter on the invoice",
         [](R&) {
             auto* w = shown(new frmMaksutListana);
             w->setProperty("invoice", c<QTableWidget>(*w, "grd")->item(0, 0)->text().toLongLong());
             return static_cast<QWidget*>(w);
         },
         "UPDATE jmhist SET jmhjmMaksettu = 1, jmhjmViitenumero = '%1' WHERE jmhID = %3",
         {},
         [](QWidget& w) {
             if (const int row = gridRow(w, invoiceOf(w)); row >= 0) {
                 auto* grid = c<QTableWidget>(w, "grd");
                 grid->setCurrentCell(row, 1);
                 QTest::keyClick(grid, Qt::Key_Return);
             }
         },
         [](QWidget& w, const QString&) { return gridRow(w, invoiceOf(w)) < 0; },
         "SELECT group_concat(jmRMaksettu) FROM jmRivi ORDER BY jmRID"},
        {"frmViitemaksut",
         "Maksettu",
         [](R& f) {
             auto* w = shown(new frmViitemaksut);
             w->setProperty("invoice", f.unpaid(0));
             f.payInFull(*w, invoiceOf(*w));
             return static_cast<QWidget*>(w);
         },
         "UPDATE jmhist SET jmhjmHinta = jmhjmHinta + 1 WHERE jmhID = %3",
         {},
         [](QWidget& w) {
             c<QPushButton>(w, "cValitseKaikki")->click();
             c<QPushButton>(w, "cMaksetuksi")->click();
         },
         [](QWidget& w, const QString&) { return c<QListWidget>(w, "lstSaapuneet")->count() == 0; },
         "SELECT group_concat(jmhjmMaksettu) FROM jmhist ORDER BY jmhID"},
        {"frmMaksut",
         "Maksettu",
         [](R& f) {
             auto* w = shown(new frmMaksut);
             w->setProperty("invoice", f.unpaid(1));
             c<QLineEdit>(*w, "tViitenumero")->setText(f.reference(invoiceOf(*w)));
             c<QAction>(*w, "mHae")->trigger();
             return static_cast<QWidget*>(w);
         },
         "UPDATE jmhist SET jmhjmViitenumero = '9' || jmhjmViitenumero WHERE jmhID = %3",
         {},
         [](QWidget& w) { c<QAction>(w, "mMaksetuksi")->trigger(); },
         [](QWidget& w, const QString&) { return c<QLabel>(w, "lblViitenumero")->text().isEmpty(); },
         "SELECT group_concat(jmhjmMaksettu) FROM jmhist ORDER BY jmhID"},
        {"frmMoniliitos",
         "Lisää",
         [](R&) { return attach(new frmMoniliitos, false); },
         FeaturesRestored,
         {},
         [](QWidget& w) { c<QPushButton>(w, "cLisaa")->click(); },
         featuresListedAgain,
         "SELECT count(*) FROM pt"},
        {"frmMoniliitosMV",
         "Lisää",
         [](R&) { return attach(new frmMoniliitosMV, true); },
         FeaturesRestored,
         {},
         [](QWidget& w) { c<QPushButton>(w, "cLisaa")->click(); },
         featuresListedAgain,
         "SELECT count(*) FROM mt"},
        {"frmSaalisilmTulostus",
         "Seuraava",
         [](R&) {
             auto* w = shown(new frmSaalisilmTulostus);
             c<QLineEdit>(*w, "tLupanumero")->setText(Typed);
             return static_cast<QWidget*>(w);
         },
         "UPDATE Settings SET setString = '%1' WHERE setKey = 'Lupanumero'",
         {},
         // The step's first count meets the restored file, and the step stops there: the window
         // stays on the restored file's permit.
         [](QWidget& w) { c<QPushButton>(w, "cSeuraava")->click(); },
         [](QWidget& w, const QString& mark) { return c<QLineEdit>(w, "tLupanumero")->text() == mark; },
         "SELECT setString FROM Settings WHERE setKey = 'Lupanumero'"},
        {"frmSaalisPoisto",
         "Poista",
         [](R&) {
             auto* w = shown(new frmSaalisPoisto);
             c<QComboBox>(*w, "cmbLaji")->setCurrentIndex(0);
             return static_cast<QWidget*>(w);
         },
         "UPDATE si SET siLaji = '%1'",
         {MsgResult::Yes},
         [](QWidget& w) { c<QPushButton>(w, "cPoista")->click(); },
         [](QWidget& w, const QString& mark) {
             auto* species = c<QComboBox>(w, "cmbLaji");
             return species->currentIndex() < 0 && species->findText(mark) >= 0;
         },
         "SELECT count(*) FROM si"},
    };
    return table;
}

} // namespace

// Each road, in two ways: the road itself meets the restored file (it says the change was not
// saved), or another command met it before; either way the window shows the restored file, and
// the road taken again writes nothing read from or typed against the old file into it.
TEST_F(ReplacedFileWindows, NoRoadOfAnyWindowWritesTheOldFilesDataIntoTheRestoredOne)
{
    const auto answer = [this](const Road& r) {
        for (const MsgResult a : r.answers)
            prompter.answer(a);
    };
    int round = 0;
    for (const Road& r : roads()) {
        for (const bool metElsewhere : {false, true}) {
            ++round;
            SCOPED_TRACE(testing::Message() << r.window << ", " << r.road << (metElsewhere ? ", met elsewhere" : ""));
            prompter.clear();
            QPointer<QWidget> w = r.open(*this);
            ASSERT_TRUE(w);
            const QString mark = QStringLiteral("Palautettu%1").arg(round);
            QString restore = r.restore;
            restore.replace(QStringLiteral("%1"), mark)
                .replace(QStringLiteral("%2"), QString::number(round))
                .replace(QStringLiteral("%3"), QString::number(invoiceOf(*w)));
            test::RestoreChangedCopy(t.path, restore);
            const QString restored = test::FileRows(t.path, r.stored);
            if (metElsewhere) {
                EXPECT_THROW(t.db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES ('Muu ikkuna')")), DbException);
            } else {
                answer(r);
                r.store(*w);
                EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
                    << prompter.messageTexts().join(u'\n').toStdString();
            }
            const bool open = w && w->isVisible();
            if (!metElsewhere && r.endsTheWindow) {
                EXPECT_FALSE(open);
            } else if (open) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return r.follows(*w, mark); }, 2000))
                    << "the window shows the restored file";
                // How the window looks once it has read the restored file, when asked for.
                if (const QString shots = qEnvironmentVariable("TIKKELI_SCREENSHOT_DIR"); !shots.isEmpty())
                    w->grab().save(QStringLiteral("%1/%2-%3.png").arg(shots, QString::fromLatin1(r.window)).arg(round));
                answer(r);
                r.store(*w);
                QApplication::processEvents();
            } else {
                ADD_FAILURE() << "the window closed";
            }
            EXPECT_EQ(test::FileRows(t.path, r.stored), restored);
            EXPECT_EQ(prompter.unexpected(), 0);
            delete w;
            QApplication::processEvents();
        }
    }
}

// A backup restored while nothing of this program had the file open: the settings read at the
// start are the old file's. The settings window opened afterwards shows the restored file's
// settings, and its Tallenna stores nothing of the old file's in it.
TEST_F(ReplacedFileWindows, TheSettingsWindowOpenedAfterARestoreShowsAndStoresTheRestoredFilesSettings)
{
    LoadSettings(t.db, true);
    t.db.close();
    ASSERT_FALSE(ConnectionRegistry::isOpen(t.path));
    const QString mark = QStringLiteral("Palautettu");
    test::RestoreChangedCopy(
        t.path,
        QString(SettingsRestored).replace(QStringLiteral("%1"), mark).replace(QStringLiteral("%2"), QStringLiteral("7")));
    QPointer<QWidget> w = shown(new frmAsetukset);
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsSettings(*w, mark); }, 2000)) << "the window shows the restored file";
    c<QPushButton>(*w, "cTallenna")->click();
    QApplication::processEvents();
    EXPECT_EQ(test::FileRows(t.path, QStringLiteral("SELECT setKey || '=' || setString FROM Settings WHERE setKey IN"
                                                    " ('RegName', 'Muistutuskulut') ORDER BY setKey"))
                  .toStdString(),
              "Muistutuskulut=17,00|RegName=Palautettu");
    EXPECT_EQ(prompter.unexpected(), 0);
    delete w;
}

// The windows that can write to the club file are all in the table above or follow a replaced
// file in tests of their own; every other window of the program writes nothing it holds. A window
// added later is in none of these until its author decides where it belongs.
TEST(ReplacedFileWindowsListed, EveryWindowIsListed)
{
    std::set<QString> listed = {
        // Tested with their own windows.
        "frmJasen", "frmVuokra", "frmSaalisilmoitus", "frmPiirre", "frmElaimet", "frmGroupEmail2",
        // Their writes take nothing from what the window read before (a search, a print or its
        // choices, a backup, an import, a message sent, a date), or they write nothing at all.
        "frmMain", "frmAbout", "frmDemoVersion", "frmBackup", "frmBackupRestore", "frmBackupManagement", "frmService",
        "frmImportData", "frmGroupEmail", "frmSingleEmail", "frmEmailPreview", "frmHaku", "frmNimiHaku", "frmHakuehdotJ",
        "frmHakuehdot", "frmHakuehdotVoimassaolo", "frmElainehdot", "frmSopimushaku", "frmValitseElaimet", "frmValitseTila",
        "frmPiirrettavatTilat", "frmTilaInfo", "frmMittakaava", "frmKartanTulostus", "frmLaskujenRajaus", "frmLaskumalli",
        "frmSeparators", "frmTulJarjValinta", "frmTulostus", "frmTulostusmuodonValinta", "frmTulostusrajoitukset"};
    for (const Road& r : roads())
        listed.insert(QString::fromLatin1(r.window));
    const std::set<QString> found = test::ClassesInSources(
        QRegularExpression(QStringLiteral(R"(\bclass (frm\w+)\b[^;{]*:\s*public\b)")));
    ASSERT_GT(found.size(), 40u);
    for (const QString& name : found)
        EXPECT_TRUE(listed.count(name)) << name.toStdString() << " is neither in the table nor listed";
    for (const QString& name : listed)
        EXPECT_TRUE(found.count(name)) << name.toStdString() << " is listed but no window of the program";
}
