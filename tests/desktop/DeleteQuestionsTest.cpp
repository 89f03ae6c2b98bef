// The delete commands of the program, as a user who picks by the list meets them: the list's
// highlight moved by arrow keys onto another record first, the question names the record the window
// shows, and "Kyllä" deletes that one and no other.
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "contracts/ui/frmElaimet.h"
#include "contracts/ui/frmVuokra.h"
#include "lists/DataPrinterSettings.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "maps/cRajat.h"
#include "maps/ui/frmKartta.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmPiirre.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QApplication>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;

namespace {

const QString kNames[] = {QStringLiteral("Aalto"), QStringLiteral("Berg")};

QString templateText(const QString& name)
{
    DataPrinterSettings s;
    s.setReportName(name);
    s.AddColumn(QStringLiteral("Sarake"), QStringLiteral("jrSukunimi"), 30);
    return s.ToText();
}

struct DeleteCommand {
    const char* what;
    // Adds record i (0 or 1) of the window's kind and gives its key.
    std::function<qint64(Database&, int i)> add;
    const char* table; // and its key column, <table>ID
    std::function<QWidget*()> make;
    const char* list; // where the user picks; nullptr: the command asks which record
    bool arrowsShow;  // the list's arrow keys show the record they highlight
    QString question;
    std::function<QString(int i)> named; // record i as the window shows it
};

qint64 insert(Database& db, const QString& sql, const Params& values)
{
    db.execute(sql, values);
    return db.lastInsertId();
}

const std::vector<DeleteCommand>& commands()
{
    static const std::vector<DeleteCommand> all = {
        {"member",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrJasennumero) VALUES (?, 'Eeva', ?)"),
                           {Value(kNames[i]), Value(10 + i)});
         },
         "jr", [] { return new frmJasen; }, "tvwNimet", false, QStringLiteral("Poistetaanko näytössä oleva jäsen?"),
         [](int i) { return kNames[i] + QStringLiteral(" Eeva, jäsennumero %1").arg(10 + i); }},
        {"contract",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO vs (vsNimi, vsSopimusNo) VALUES (?, ?)"),
                           {Value(kNames[i]), Value(QString::number(20 + i))});
         },
         "vs", [] { return new frmVuokra; }, "tvwNimet", false, QStringLiteral("Poistetaanko näytössä oleva sopimus?"),
         [](int i) { return kNames[i] + QStringLiteral(", sopimusnumero %1").arg(20 + i); }},
        {"estate's boundary",
         [](Database& db, int i) {
             const qint64 vs = insert(db, QStringLiteral("INSERT INTO vs (vsNimi) VALUES ('Maa')"), {});
             const qint64 id = insert(db,
                                      QStringLiteral("INSERT INTO tl (tlvsID, tlKunta, tlKyla, tlTilaPalsta, tlRekNo) "
                                                     "VALUES (?, 'Kunta', 'Kylä', ?, ?)"),
                                      {Value(vs), Value(kNames[i]), Value(QStringLiteral("1-2-%1").arg(i))});
             cRajat boundary(db, id);
             for (const QPointF p : {QPointF(0, 0), QPointF(900, 0), QPointF(900, 900)})
                 boundary.AddNewRaja(float(p.x()), float(p.y()));
             return id;
         },
         "tl", [] { return new frmKartta; }, nullptr, false,
         QStringLiteral("Haluatko varmasti poistaa valitun tilan rajat kartalta?"),
         [](int i) { return QStringLiteral("Kunta : Kylä : %1 : 1-2-%2").arg(kNames[i]).arg(i); }},
        {"feature",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (?, 1)"), {Value(kNames[i])});
         },
         "pi", [] { return new frmPiirre; }, "tvwPiirteet", false, QStringLiteral("Poistetaanko näytössä oleva ominaisuus?"),
         [](int i) { return kNames[i]; }},
        {"animal",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO el (elNimi) VALUES (?)"), {Value(kNames[i])});
         },
         "el", [] { return new frmElaimet; }, "tvwPiirteet", false, QStringLiteral("Poistetaanko näytössä oleva eläin?"),
         [](int i) { return kNames[i]; }},
        {"template",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(templateText(kNames[i]))});
         },
         "rp", [] { return new frmRaportinMuokkaus; }, "lstRaps", true,
         QStringLiteral("Haluatko varmasti poistaa valitun raporttipohjan?"), [](int i) { return kNames[i]; }},
        {"catch",
         [](Database& db, int i) {
             return insert(db, QStringLiteral("INSERT INTO si (siLaji, siPvm, siKaataja) VALUES ('Hirvi', ?, ?)"),
                           {Value(QDate(2026, 10, 3 + i)), Value(kNames[i] + QStringLiteral(" Eeva"))});
         },
         "si", [] { return new frmSaalisilmoitus; }, "tvwSaaliit", true,
         QStringLiteral("Poistetaanko näytössä olevan saaliin tiedot?"),
         [](int i) { return QStringLiteral("Hirvi, %1.10.2026, %2 Eeva").arg(3 + i).arg(kNames[i]); }},
    };
    return all;
}

// Whether the list's entry is record id's: by its key where it has one, else by its text.
bool isEntryOf(const QModelIndex& entry, qint64 id, const QString& name)
{
    const QString key = entry.data(Qt::UserRole).toString();
    if (key.endsWith(QLatin1String("ID")))
        return key == QString::number(id) + QLatin1String("ID");
    return entry.data().toString() == name;
}

// The user's arrow keys, Right opening a closed branch on the way, until the list highlights the entry.
void arrowTo(QAbstractItemView* list, qint64 id, const QString& name)
{
    list->setFocus();
    auto* tree = qobject_cast<QTreeView*>(list);
    for (int i = 0; i < 40; ++i) {
        const QModelIndex at = list->currentIndex();
        if (at.isValid() && isEntryOf(at, id, name))
            return;
        const bool closed = tree && at.isValid() && list->model()->hasChildren(at) && !tree->isExpanded(at);
        QTest::keyClick(list, closed ? Qt::Key_Right : Qt::Key_Down);
        QApplication::processEvents();
    }
    ADD_FAILURE() << "no entry for " << name.toStdString();
}

} // namespace

TEST(DeleteQuestions, NameTheRecordTheWindowShowsAndDeleteIt)
{
    for (const DeleteCommand& c : commands()) {
        SCOPED_TRACE(c.what);
        test::ContractTestDb t;
        ScriptedPrompter prompter;
        for (const char* table : {"pt", "mt", "et", "rj", "tl", "jr", "vs", "pi", "el", "rp", "si"})
            t.db.execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        const qint64 ids[] = {c.add(t.db, 0), c.add(t.db, 1)};
        std::unique_ptr<QWidget> w(c.make());
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        // The window shows record 0 (the template editor none until one is picked); the user
        // then moves the list's highlight onto record 1 and presses F4.
        prompter.answerYes();
        const int shown = c.arrowsShow ? 1 : 0;
        if (c.list) {
            arrowTo(test::Control<QAbstractItemView>(*w, c.list), ids[1], kNames[1]);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        } else {
            frmKartta::PickEstate = [&](QWidget*, frmKartta::EstateFilter) { return ids[0]; };
            static_cast<frmKartta*>(w.get())->mPoistaTila_Click();
            frmKartta::PickEstate = {};
        }
        EXPECT_EQ(prompter.messageTexts().value(0), c.question + QStringLiteral("\r\n\r\n") + c.named(shown));
        const QString count = c.list ? QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %1ID = ?").arg(QLatin1String(c.table))
                                     : QStringLiteral("SELECT COUNT(*) FROM rj WHERE rjtlID = ?");
        EXPECT_EQ(t.count(count, {Value(ids[shown])}), 0) << "the record named is deleted";
        EXPECT_GT(t.count(count, {Value(ids[1 - shown])}), 0) << "the other stays";
        EXPECT_EQ(prompter.unexpected(), 0);
    }
}
