#include "CatchWindowFixture.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "db/ClubChanges.h"
#include "catch/ui/CatchWindows.h"
#include "db/RecordCatalogue.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

using namespace tikkeli;
using test::CatchTestDb;
using test::CatchWindowTest;
using test::Control;

namespace {

class frmSaalisilmoitusTest : public CatchWindowTest {
protected:
    Value stored(const char* column, qint64 id)
    {
        return t.field(QStringLiteral("SELECT %1 FROM si WHERE siID = ?").arg(QLatin1String(column)), {id});
    }
    qint64 lastId() { return t.count(QStringLiteral("SELECT MAX(siID) FROM si")); }
    // A member for the list of shooters and an estate of the village for the list of places.
    void listEntries(const QString& surname, const QString& firstName, const QString& village)
    {
        t.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, ?)"),
                     {Value(surname), Value(firstName)});
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKyla, tlTilaPalsta) VALUES (1, ?, 'Jokela')"),
                     {Value(village)});
    }
    // The window in front, as the user has it while typing into its lists.
    std::unique_ptr<frmSaalisilmoitus> openActiveWindow()
    {
        auto w = openWindow();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return w;
    }
    // Keys go to the list of suggestions while it is open, as the desktop sends them.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : QApplication::focusWidget(), key, modifiers);
    }
    static void typeKeys(const char* text)
    {
        for (const char* c = text; *c; ++c) {
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup ? popup : QApplication::focusWidget(), *c);
        }
    }
    static QString focused()
    {
        const QWidget* f = QApplication::focusWidget();
        return f ? f->objectName() : QString();
    }
};

const QString kHint = QStringLiteral("Aloita uuden saaliin syöttö kilkkaamalla 'Uusi' painiketta.");

} // namespace

TEST_F(frmSaalisilmoitusTest, WithoutADatabaseTheWindowTellsAndCloses)
{
    for (const QString& setting : {QString(), QStringLiteral("unknown"), t.env.root() + QStringLiteral("/eiole.mdb")}) {
        State().DatabasePath = setting;
        prompter.clear();
        auto w = std::make_unique<frmSaalisilmoitus>();
        EXPECT_FALSE(w->loaded());
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages().first().startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")));
        EXPECT_EQ(messages().first().contains(QStringLiteral("\r\n")), setting.endsWith(QStringLiteral(".mdb")));
    }
}

TEST_F(frmSaalisilmoitusTest, AnEmptyListBeepsAtEveryMoveAndHintsAtNew)
{
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 0"));
    EXPECT_TRUE(treeTexts().isEmpty());
    for (auto key : {Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_F})
        QTest::keyClick(w.get(), key, Qt::ControlModifier);
    EXPECT_EQ(beeps(), 4);
    vasa->click();
    EXPECT_EQ(messages(), QStringList{kHint});
    EXPECT_TRUE(aikuinen->isChecked()) << "nothing to choose for";
    prompter.clear();
    type(kaataja, QStringLiteral("Aho"));
    EXPECT_EQ(messages(), QStringList{kHint});
    EXPECT_EQ(kaataja->currentText(), QString());
    EXPECT_EQ(t.catches(), 0);
}

TEST_F(frmSaalisilmoitusTest, NewIsAnAdultMaleAndIsStoredAsSuch)
{
    auto w = openWindow();
    QTest::keyClick(w.get(), Qt::Key_F2);
    EXPECT_TRUE(laji->hasFocus() || laji->lineEdit()->hasFocus());
    EXPECT_TRUE(aikuinen->isChecked());
    EXPECT_TRUE(uros->isChecked());
    EXPECT_FALSE(puolitoista->isChecked());
    EXPECT_FALSE(kelvoton->isChecked());
    type(pvm, QStringLiteral("5.11.2026"));
    QTest::keyClick(laji->lineEdit(), Qt::Key_F3);
    ASSERT_EQ(t.catches(), 1);
    const qint64 id = lastId();
    EXPECT_EQ(stored("siIka", id).toInt64(), 1);
    EXPECT_EQ(stored("siSukupuoli", id).toInt64(), 1);
    EXPECT_EQ(stored("siPuolitoista", id).toInt64(), 0);
    EXPECT_EQ(stored("siKelvoton", id).toInt64(), 0);
    EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2026, 11, 5));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 1"));
    EXPECT_TRUE(treeTexts().isEmpty()) << "a catch without a species is in no branch";
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmSaalisilmoitusTest, ATypedCatchIsStoredWithItsChoices)
{
    auto w = openWindow();
    w->cUusi_Click();
    type(laji, QStringLiteral("Hirvi"));
    type(pvm, QStringLiteral("5.11.2006"));
    QTest::keyClick(pvm, Qt::Key_Tab);
    EXPECT_EQ(pvm->text(), QStringLiteral("5.11.2006"));
    vasa->click();
    naaras->click();
    puolitoista->click();
    kelvoton->click();
    type(paikka, QStringLiteral("Rantalan suo"));
    type(sarviV, QStringLiteral("12"));
    type(kaataja, QStringLiteral("Aho Pekka"));
    w->cTallenna_Click();
    const qint64 id = lastId();
    EXPECT_EQ(stored("siLaji", id), Value("Hirvi"));
    EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2006, 11, 5));
    EXPECT_EQ(stored("siIka", id).toInt64(), 0);
    EXPECT_EQ(stored("siSukupuoli", id).toInt64(), 0);
    EXPECT_EQ(stored("siPuolitoista", id).toInt64(), 1);
    EXPECT_EQ(stored("siKelvoton", id).toInt64(), 1);
    EXPECT_EQ(stored("siSarvipiikkiV", id).toInt64(), 12);
    EXPECT_TRUE(stored("siSarvipiikkiO", id).isNull());
    EXPECT_EQ(stored("siKaataja", id), Value("Aho Pekka"));
    // Leaving a record writes what changed; an emptied date is stored as Null.
    type(pvm, QString());
    w->cEnsimmainen_Click();
    EXPECT_TRUE(stored("siPvm", id).isNull());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmSaalisilmoitusTest, BoxesLeftWithWhatTheyCannotHoldBeep)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    struct Case {
        QLineEdit* box;
        const char* typed;
        const char* left;
        int beeps;
    };
    // An antler box is emptied; a date box keeps the text for correction (the save refuses it).
    const Case cases[] = {{pvm, "x", "x", 1},   {pvm, "05.11.06", "5.11.2006", 0}, {pvm, "", "", 0},
                          {sarviV, "x", "", 1}, {sarviV, "12", "12", 0},           {sarviO, "2,5", "2,5", 0},
                          {sarviO, "-", "", 1}};
    for (const Case& c : cases) {
        prompter.clear();
        type(c.box, QString::fromUtf8(c.typed));
        QTest::keyClick(c.box, Qt::Key_Tab);
        EXPECT_EQ(c.box->text(), QString::fromUtf8(c.left)) << c.typed;
        EXPECT_EQ(beeps(), c.beeps) << c.typed;
    }
}

TEST_F(frmSaalisilmoitusTest, ARefusedCatchStaysOnScreenWithItsReasonWhateverTheCommand)
{
    const qint64 first = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 4));
    auto w = openWindow();
    using Command = std::function<void(frmSaalisilmoitus&)>;
    const std::pair<const char*, Command> commands[] = {
        {"Tallenna", [](frmSaalisilmoitus& f) { f.cTallenna_Click(); }},
        {"Seuraava", [](frmSaalisilmoitus& f) { f.cSeuraava_Click(); }},
        {"Uusi", [](frmSaalisilmoitus& f) { f.cUusi_Click(); }},
        {"Selaa", [](frmSaalisilmoitus& f) { f.cSelaa_Click(); }},
        {"Tulosta", [](frmSaalisilmoitus& f) { f.cTulosta_Click(); }},
        {"Laji", [](frmSaalisilmoitus& f) { f.mPoistaLaji_Click(); }},
        {"Sulje", [](frmSaalisilmoitus& f) { f.close(); }},
    };
    for (const char* antlers : {"300", "2,5"}) {
        type(kaataja, QStringLiteral("Aho Pekka"));
        type(sarviV, QString::fromUtf8(antlers));
        for (const auto& [what, run] : commands) {
            prompter.clear();
            run(*w);
            // Closing tells the ways on as well, since it cannot leave the catch as it is.
            const QString wayOn = QStringLiteral(
                "\r\nKorjaa tiedot tai hylkää saaliin muutokset painikkeella \"Peru\" (Ctrl+Z).");
            EXPECT_EQ(messages(), QStringList{QStringLiteral("Saaliin tallennus ei onnistunut: Sarvipiikit, vasen: \"%1\" "
                                                             "ei ole kokonaisluku 0-255.")
                                                  .arg(QString::fromUtf8(antlers))
                                              + (QLatin1String(what) == "Sulje" ? wayOn : QString())})
                << what;
            EXPECT_EQ(sarviV->text(), QString::fromUtf8(antlers)) << what;
            EXPECT_EQ(kaataja->currentText(), QStringLiteral("Aho Pekka")) << what;
            EXPECT_TRUE(w->isVisible()) << what;
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << what;
        }
    }
    EXPECT_TRUE(stored("siKaataja", first).isNull());
    type(sarviV, QStringLiteral("25"));
    prompter.clear();
    w->cSeuraava_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(stored("siKaataja", first), Value("Aho Pekka"));
    EXPECT_EQ(stored("siSarvipiikkiV", first).toInt64(), 25);
}

TEST_F(frmSaalisilmoitusTest, ADateThatIsNoDateStopsAMoveWithItsReason)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 4));
    auto w = openActiveWindow();
    for (const char* typed : {"32.13.2026", "15.12"}) {
        prompter.clear();
        pvm->setFocus();
        pvm->selectAll();
        QTest::keyClicks(pvm, QString::fromUtf8(typed));
        QTest::keyClick(pvm, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
        EXPECT_EQ(messages(), QStringList{QStringLiteral("Saaliin tallennus ei onnistunut: Päivämäärä: \"%1\" ei ole "
                                                         "päivämäärä.")
                                              .arg(QString::fromUtf8(typed))})
            << typed;
        EXPECT_EQ(pvm->text().toStdString(), typed) << "kept as typed";
        EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2026, 10, 3)) << typed;
    }
    // Corrected, the catch is stored and the tree shows what the card shows.
    type(pvm, QStringLiteral("15.12.2026"));
    QTest::keyClick(pvm, Qt::Key_F5);
    EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2026, 12, 15));
    EXPECT_EQ(treeTexts(), (QStringList{"Hirvi", "-15.12.2026, , ", "-4.10.2026, , "}));
}

TEST_F(frmSaalisilmoitusTest, NewStoresThePendingCatchFirst)
{
    auto w = openWindow();
    w->cUusi_Click();
    type(laji, QStringLiteral("Hirvi"));
    w->cUusi_Click();
    type(laji, QStringLiteral("Valkohäntäpeura"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM si WHERE siLaji = 'Hirvi'")), 1);
    EXPECT_EQ(laji->findText(QStringLiteral("Hirvi")), 0) << "the species list is filled again at New";
    w->cPeru_Click();
    EXPECT_EQ(t.catches(), 1) << "undo drops the new one";
    EXPECT_EQ(laji->currentText(), QStringLiteral("Hirvi"));
}

TEST_F(frmSaalisilmoitusTest, TheTreeGroupsBySpeciesAndAClickShowsTheCatch)
{
    for (int i = 1; i < 17; ++i)
        t.add(QStringLiteral("Valkohäntäpeura"), QDate(2026, 10, i));
    t.db.execute(QStringLiteral("UPDATE sqlite_sequence SET seq = 16 WHERE name = 'si'"));
    const qint64 id17 = t.add(QStringLiteral("hirvi"), QDate(2026, 11, 5), true, true, QStringLiteral("Suo"),
                              QStringLiteral("Aho Pekka"));
    ASSERT_EQ(id17, 17);
    t.add(QStringLiteral("Hirvi"), QDate(2026, 11, 6));
    t.add(QString(), QDate(2026, 11, 7));
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 19"));
    const QStringList texts = treeTexts();
    ASSERT_EQ(texts.size(), 2 + 18);
    EXPECT_EQ(texts.mid(0, 3), (QStringList{"hirvi", "-5.11.2026, Suo, Aho Pekka", "-6.11.2026, , "}));
    EXPECT_EQ(texts[3], QStringLiteral("Valkohäntäpeura"));
    QTreeWidgetItem* n17 = node(QStringLiteral("17ID"));
    ASSERT_NE(n17, nullptr);
    EXPECT_EQ(n17->text(0), QStringLiteral("5.11.2026, Suo, Aho Pekka"));
    tree->setCurrentItem(n17);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(kaataja->currentText(), QStringLiteral("Aho Pekka"));
    EXPECT_EQ(pvm->text(), QStringLiteral("5.11.2026"));
    w->tvwSaaliit_NodeClick(tree->topLevelItem(0));
    EXPECT_EQ(kaataja->currentText(), QStringLiteral("Aho Pekka")) << "a species node changes nothing";
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmSaalisilmoitusTest, ANodeOfAGoneCatchSaysSoAndTheTreeIsRebuilt)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    const qint64 gone = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 4));
    auto w = openWindow();
    t.db.execute(QStringLiteral("DELETE FROM si WHERE siID = ?"), {gone});
    QTreeWidgetItem* n = node(RecordCatalogue::treeKey(gone));
    ASSERT_NE(n, nullptr);
    w->tvwSaaliit_NodeClick(n);
    EXPECT_EQ(messages(), QStringList{"Saalista ei enää löydy."});
    EXPECT_EQ(treeTexts(), (QStringList{"Hirvi", "-3.10.2026, , "}));
    EXPECT_EQ(pvm->text(), QStringLiteral("3.10.2026"));
}

TEST_F(frmSaalisilmoitusTest, DeleteAndDeleteAllAskAndRebuildTheTree)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 4));
    t.add(QStringLiteral("Kauris"), QDate(2026, 10, 5));
    auto w = openWindow();
    prompter.answerNo();
    QTest::keyClick(pvm, Qt::Key_F4);
    EXPECT_EQ(t.catches(), 3);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Poistetaanko näytössä olevan saaliin tiedot?\r\n\r\nHirvi, 3.10.2026"));
    EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Question);
    prompter.answerYes();
    QTest::keyClick(pvm, Qt::Key_F4);
    EXPECT_EQ(t.catches(), 2);
    EXPECT_EQ(treeTexts(), (QStringList{"Hirvi", "-4.10.2026, , ", "Kauris", "-5.10.2026, , "}));
    EXPECT_EQ(pvm->text(), QStringLiteral("4.10.2026"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 2"));

    prompter.clear();
    prompter.answerNo();
    Control<QAction>(*w, "mPoistaKaikki")->trigger();
    EXPECT_EQ(t.catches(), 2);
    EXPECT_EQ(messages(), QStringList{"Poistetaanko kaikki saalisrivit?\r\nSyötetyt saalistiedot häviävät lopullisesti."});
    prompter.answerYes();
    Control<QAction>(*w, "mPoistaKaikki")->trigger();
    EXPECT_EQ(t.catches(), 0);
    EXPECT_TRUE(treeTexts().isEmpty());
    EXPECT_EQ(laji->count(), 0);
    EXPECT_EQ(pvm->text(), QString());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Saalisilmoitus - 0"));
}

TEST_F(frmSaalisilmoitusTest, BrowseStoresAndPutsTheFocusOnTheShownCatch)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    w->cUusi_Click();
    type(laji, QStringLiteral("Kauris"));
    QTest::keyClick(laji->lineEdit(), Qt::Key_F5);
    EXPECT_EQ(treeTexts(), (QStringList{"Hirvi", "-3.10.2026, , ", "Kauris", "-, , "}));
    EXPECT_TRUE(tree->hasFocus());
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral(", , "));
    ASSERT_NE(tree->currentItem()->parent(), nullptr);
    EXPECT_EQ(tree->currentItem()->parent()->text(0), QStringLiteral("Kauris"));
}

TEST_F(frmSaalisilmoitusTest, ClosingStoresTheTypedCatch)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    type(kaataja, QStringLiteral("Mäki Aino"));
    Control<QPushButton>(*w, "cSulje")->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(stored("siKaataja", id), Value("Mäki Aino"));
}

TEST_F(frmSaalisilmoitusTest, ALongMemberNamePickedFromTheListIsHeldToTheColumn)
{
    const QString longName = QString(40, QLatin1Char('S')) + QStringLiteral(" ") + QString(20, QLatin1Char('E'));
    t.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, ?)"),
                 {Value(QString(40, QLatin1Char('S'))), Value(QString(20, QLatin1Char('E')))});
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    ASSERT_EQ(kaataja->count(), 1);
    kaataja->setFocus();
    QTest::keyClick(kaataja, Qt::Key_Down);
    EXPECT_EQ(kaataja->currentText(), longName.left(50));
    w->cTallenna_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(stored("siKaataja", id), Value(longName.left(50)));
}

TEST_F(frmSaalisilmoitusTest, ControlsMenusAndKeys)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Kauris"), QDate(2026, 10, 4));
    auto w = openWindow();
    for (const char* button : {"cUusi", "cTallenna", "cPoista", "cSelaa", "cPeru", "cEnsimmäinen", "cEdellinen", "cSeuraava",
                               "cViimeinen", "cTulosta", "cSulje"})
        EXPECT_NE(w->findChild<QPushButton*>(QString::fromUtf8(button)), nullptr) << button;
    const std::pair<const char*, const char*> keys[] = {
        {"mUusi", "F2"},          {"mTallenna", "F3"},        {"mPoista", "F4"},        {"mSelaa", "F5"},
        {"mPeru", "Ctrl+Z"},      {"mEnsimmainen", "Ctrl+A"}, {"mEdellinen", "Ctrl+S"}, {"mSeuraava", "Ctrl+D"},
        {"mViimeinen", "Ctrl+F"}, {"mTulosta", "F7"},         {"mPoistaLaji", ""},      {"mPoistaKaikki", ""}};
    for (const auto& [action, key] : keys)
        EXPECT_EQ(Control<QAction>(*w, action)->shortcut().toString(), QLatin1String(key)) << action;
    EXPECT_EQ(Control<QAction>(*w, "mPoistaLaji")->text(), QStringLiteral("Laji"));
    EXPECT_EQ(Control<QAction>(*w, "mPoistaKaikki")->text(), QStringLiteral("Kaikki"));
    EXPECT_LE(w->sizeHint().width(), 1366);
    EXPECT_LE(w->sizeHint().height(), 768);
    // The record keys work while a text box has the focus, Ctrl+A and Ctrl+Z too.
    QTest::keyClick(pvm, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(laji->currentText(), QStringLiteral("Kauris"));
    QTest::keyClick(laji->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(laji->currentText(), QStringLiteral("Hirvi"));
    type(kaataja, QStringLiteral("Aho"));
    QTest::keyClick(kaataja->lineEdit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(kaataja->currentText(), QString());
    QTest::keyClick(sarviO, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(laji->currentText(), QStringLiteral("Kauris"));
    QTest::keyClick(sarviO, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(laji->currentText(), QStringLiteral("Hirvi"));
}

TEST_F(frmSaalisilmoitusTest, TheMainWindowsCatchButtonOpensOneWindow)
{
    WindowOpeners::clear();
    EXPECT_EQ(WindowOpeners::find(MainCommand::CatchReport), nullptr);
    RegisterCatchWindows();
    const WindowOpener* open = WindowOpeners::find(MainCommand::CatchReport);
    ASSERT_NE(open, nullptr);
    (*open)(nullptr);
    (*open)(nullptr);
    QWidget* w = FormRegistry::find(QStringLiteral("frmSaalisilmoitus"));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::topLevelWidgets().count(w), 1);
    w->close();
    QApplication::processEvents();
    WindowOpeners::clear();
}

TEST_F(frmSaalisilmoitusTest, AReReadFromElsewhereStoresTheTypedCatchFirst)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    type(kaataja, QStringLiteral("Mäki Aino"));
    emit ClubChanges::instance().catchesChanged();
    EXPECT_EQ(stored("siKaataja", id), Value("Mäki Aino"));
    EXPECT_EQ(kaataja->currentText(), QStringLiteral("Mäki Aino"));
    type(sarviO, QStringLiteral("300"));
    emit ClubChanges::instance().catchesChanged();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(sarviO->text(), QStringLiteral("300")) << "kept on screen";
    EXPECT_EQ(kaataja->currentText(), QStringLiteral("Mäki Aino"));
}

TEST_F(frmSaalisilmoitusTest, ASeasonTypedByKeyboardStoresTheChosenAgeAndSex)
{
    auto w = openActiveWindow();
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    // Every new catch starts as an adult male; the arrow key changes a group's choice.
    const std::pair<bool, bool> season[] = {{false, false}, {true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& [adult, male] : season) {
        key(Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Hirvi"));
        key(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5.11.2026"));
        key(Qt::Key_Tab);
        EXPECT_EQ(focused(), QStringLiteral("optAikuinen_0")) << "Tab lands on the chosen age";
        if (!adult)
            key(Qt::Key_Right);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        EXPECT_EQ(focused(), QStringLiteral("optSukupuoli_0")) << "Tab lands on the chosen sex";
        if (!male)
            key(Qt::Key_Right);
        key(Qt::Key_F3);
    }
    Recordset rs = t.db.openRecordset(QStringLiteral("SELECT siIka, siSukupuoli FROM si ORDER BY siID"),
                                      RecordsetType::Snapshot);
    for (const auto& [adult, male] : season) {
        ASSERT_FALSE(rs.eof());
        EXPECT_EQ(rs.field(0).toInt64() != 0, adult);
        EXPECT_EQ(rs.field(1).toInt64() != 0, male);
        rs.moveNext();
    }
    EXPECT_TRUE(rs.eof());
}

TEST_F(frmSaalisilmoitusTest, AListBoxKeepsWhatIsTypedAndTakesOnlyWhatIsChosen)
{
    listEntries(QStringLiteral("Aho"), QStringLiteral("Pekka Juhani"), QStringLiteral("Hirvilahti"));
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openActiveWindow();
    // Neither the rest of an item nor an item's spelling of what is typed is taken on Tab; an item
    // chosen from the suggestions is.
    const std::tuple<QComboBox*, const char*, const char*> cases[] = {{laji, "hirvi", "Hirvi"},
                                                                      {paikka, "Hirvilahti", "Hirvilahti, Jokela"},
                                                                      {kaataja, "Aho Pekka", "Aho Pekka Juhani"}};
    for (const bool choose : {false, true}) {
        for (const auto& [box, typed, chosen] : cases) {
            box->lineEdit()->setFocus();
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), QString::fromUtf8(typed));
            EXPECT_NE(QApplication::activePopupWidget(), nullptr) << "the suggestions show";
            if (choose) {
                press(Qt::Key_Down);
                press(Qt::Key_Return);
            }
            press(Qt::Key_Tab);
            EXPECT_EQ(box->currentText().toStdString(), choose ? chosen : typed);
            EXPECT_FALSE(box->lineEdit()->hasFocus()) << "Tab goes on";
        }
        if (!choose) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
            EXPECT_EQ(t.field(QStringLiteral("SELECT siLaji || siPaikka || siKaataja FROM si WHERE siID = ?"), {id}),
                      Value("hirviHirvilahtiAho Pekka"));
        }
    }
    EXPECT_TRUE(messages().isEmpty());
}

// Tab with an item of a suggestion list highlighted takes the item, as Enter does, and goes on;
// with none highlighted the typed text stays. The store that follows writes what the box shows.
TEST_F(frmSaalisilmoitusTest, TabTakesTheHighlightedSuggestionAndGoesOn)
{
    listEntries(QStringLiteral("Kuusela"), QStringLiteral("Aino"), QStringLiteral("Kuusikko"));
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Kuusipeura"), QDate(2026, 10, 4));
    auto w = openActiveWindow();
    QTest::keyClick(pvm, Qt::Key_A, Qt::ControlModifier);
    const struct {
        QComboBox* box;
        const char* column;
        bool highlighted; // Down pressed in the list before Tab
        const char* stored;
    } cases[] = {
        {laji, "siLaji", true, "Kuusipeura"},
        {paikka, "siPaikka", true, "Kuusikko, Jokela"},
        {kaataja, "siKaataja", true, "Kuusela Aino"},
        {kaataja, "siKaataja", false, "kuu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + (c.highlighted ? " highlighted" : ""));
        c.box->lineEdit()->setFocus();
        c.box->lineEdit()->selectAll();
        typeKeys("kuu");
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "the suggestions show";
        if (c.highlighted)
            press(Qt::Key_Down);
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(c.box->currentText().toStdString(), c.stored);
        EXPECT_FALSE(c.box->lineEdit()->hasFocus()) << "Tab goes on";
        press(Qt::Key_F3);
        EXPECT_EQ(stored(c.column, id), Value(QString::fromUtf8(c.stored)));
    }
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmSaalisilmoitusTest, AnOpenSuggestionListClosesAtEveryCommandAndTakesNoKeyOfAnotherBox)
{
    listEntries(QStringLiteral("Aho"), QStringLiteral("Pekka"), QStringLiteral("Hirvilahti"));
    const qint64 first = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 4));
    auto w = openActiveWindow();
    // F3 with the shooter's list open, then F2 and a species typed: every key in the species box.
    kaataja->setFocus();
    typeKeys("Ah");
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    press(Qt::Key_F3);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "F3";
    press(Qt::Key_F2);
    typeKeys("Hirvi");
    press(Qt::Key_F3);
    const qint64 added = lastId();
    EXPECT_EQ(stored("siLaji", added), Value("Hirvi"));
    EXPECT_TRUE(stored("siKaataja", added).isNull());
    EXPECT_EQ(stored("siKaataja", first), Value("Ah"));
    // A move with each list open closes it, and a key typed then goes where the focus is.
    struct Case {
        QComboBox* box;
        const char* typed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {{laji, "h", Qt::Key_A, Qt::ControlModifier},
                          {paikka, "hirvi", Qt::Key_D, Qt::ControlModifier},
                          {kaataja, "a", Qt::Key_F, Qt::ControlModifier},
                          {laji, "H", Qt::Key_F5, Qt::NoModifier}};
    for (const Case& c : cases) {
        c.box->setFocus();
        c.box->lineEdit()->selectAll();
        typeKeys(c.typed);
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << c.typed;
        press(c.key, c.modifiers);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.typed;
        const QString shown = c.box->currentText();
        typeKeys("7");
        if (!c.box->hasFocus()) {
            EXPECT_EQ(c.box->currentText(), shown) << c.typed << ": a key of the box that has the focus";
        }
    }
    EXPECT_TRUE(tree->hasFocus()) << "F5 took the focus to the tree";
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmSaalisilmoitusTest, TheTreeHighlightsTheShownCatchAndDeleteTakesIt)
{
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 10), true, true, QStringLiteral("Ylä-Mäkelä"),
          QStringLiteral("Aaltonen Matti"));
    t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 17));
    const qint64 last = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 24));
    auto w = openWindow();
    const auto highlighted = [this]() -> QString {
        const QTreeWidgetItem* n = tree->currentItem();
        return n && n->isSelected() ? n->text(0) : QString();
    };
    QTest::keyClick(pvm, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(pvm, Qt::Key_F5);
    EXPECT_EQ(pvm->text(), QStringLiteral("24.10.2026"));
    EXPECT_EQ(highlighted(), QStringLiteral("24.10.2026, , "));
    prompter.answerYes();
    QTest::keyClick(tree, Qt::Key_F4);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM si WHERE siID = ?"), {last}), 0);
    EXPECT_EQ(highlighted(), pvm->text() + QStringLiteral(", Ylä-Mäkelä, Aaltonen Matti"));
    // Moves, a saved new catch and a typed change follow in the tree.
    QTest::keyClick(pvm, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(highlighted(), QStringLiteral("17.10.2026, , "));
    QTest::keyClick(pvm, Qt::Key_F2);
    EXPECT_EQ(highlighted(), QString()) << "a new catch is in no branch yet";
    type(laji, QStringLiteral("Kauris"));
    type(pvm, QStringLiteral("1.11.2026"));
    QTest::keyClick(pvm, Qt::Key_F3);
    EXPECT_EQ(highlighted(), QStringLiteral("1.11.2026, , "));
    type(kaataja, QStringLiteral("Mäki Aino"));
    QTest::keyClick(pvm, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(treeTexts().filter(QStringLiteral("Mäki Aino")), QStringList{"-1.11.2026, , Mäki Aino"});
    EXPECT_EQ(highlighted(), QStringLiteral("10.10.2026, Ylä-Mäkelä, Aaltonen Matti"));
    // The arrow keys in the tree show the catch they highlight; a species node leaves the card.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(pvm->text(), QStringLiteral("17.10.2026"));
    EXPECT_EQ(highlighted(), QStringLiteral("17.10.2026, , "));
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(highlighted(), QStringLiteral("Kauris"));
    EXPECT_EQ(pvm->text(), QStringLiteral("17.10.2026"));
    prompter.clear();
    prompter.answerYes();
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    QTest::keyClick(tree, Qt::Key_F4);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM si WHERE siKaataja = 'Mäki Aino'")), 0);
    EXPECT_EQ(t.catches(), 2);
    EXPECT_EQ(messages(), QStringList{"Poistetaanko näytössä olevan saaliin tiedot?\r\n\r\nKauris, 1.11.2026, Mäki Aino"});
}

TEST_F(frmSaalisilmoitusTest, AnUntouchedNewCatchLeftByACommandGivesBackTheCatchBeforeIt)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3), false, false, QStringLiteral("Suo"),
                            QStringLiteral("Aho Pekka"));
    auto w = openWindow();
    using Command = std::function<void(frmSaalisilmoitus&)>;
    const std::pair<const char*, Command> commands[] = {
        {"Selaa", [](frmSaalisilmoitus& f) { f.cSelaa_Click(); }},
        {"Laji",
         [](frmSaalisilmoitus& f) {
             test::DialogScript script({[](QWidget* d) { d->close(); }});
             f.mPoistaLaji_Click();
         }},
    };
    for (const auto& [what, command] : commands) {
        w->cUusi_Click();
        command(*w);
        EXPECT_EQ(laji->currentText(), QStringLiteral("Hirvi")) << what;
        EXPECT_TRUE(vasa->isChecked()) << what;
        w->cTallenna_Click();
        EXPECT_EQ(stored("siKaataja", id), Value("Aho Pekka")) << what;
        EXPECT_EQ(stored("siIka", id).toInt64(), 0) << what;
    }
    EXPECT_EQ(t.catches(), 1);
}

TEST_F(frmSaalisilmoitusTest, ClosingWithADateThatIsNoDateTellsHowToGoOn)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    auto w = openWindow();
    const QString refused = QStringLiteral("Saaliin tallennus ei onnistunut: Päivämäärä: \"15.12\" ei ole päivämäärä.\r\n");
    type(pvm, QStringLiteral("15.12"));
    EXPECT_FALSE(w->close());
    QTest::keyClick(pvm, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pvm->text(), QStringLiteral("3.10.2026"));
    w->cUusi_Click();
    type(pvm, QStringLiteral("15.12"));
    EXPECT_FALSE(w->close());
    EXPECT_EQ(messages(),
              (QStringList{refused + "Korjaa päivämäärä tai hylkää saaliin muutokset painikkeella \"Peru\" (Ctrl+Z).",
                           refused + "Korjaa päivämäärä tai hylkää uusi saalis painikkeella \"Peru\" (Ctrl+Z)."}));
    QTest::keyClick(pvm, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2026, 10, 3));
    EXPECT_EQ(t.catches(), 1);
}
