// Option groups by keyboard alone in the windows that show records: after another record is shown
// (and in a freshly opened window), Tab and Shift+Tab land on the record's chosen option, each arrow
// moves the choice from there, and what is stored is what the user saw chosen. A record shown by
// any road while the focus is in a group takes the focus to its choice, so the ring the user sees
// is where the arrow goes from.
#include "base/ScriptedPrompter.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "contracts/ui/frmVuokra.h"
#include "db/RecordCatalogue.h"
#include "lists/DataPrinterSettings.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "members/ui/frmPiirre.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace tikkeli;

namespace {

using Options = std::vector<std::pair<const char*, qint64>>; // in tab order, with the value each stores

struct RecordWindow {
    std::function<qint64(Database&, const QString& name)> add;
    std::function<QWidget*()> make;
    const char* list;                                                   // where the user picks a record
    std::function<bool(const QModelIndex&, qint64, const QString&)> is; // the record's entry there
    const char* table;                                                  // the records' table
    std::function<void(qint64)> searchFinds = nullptr;                  // the search (F6) finds this record
};

QString templateText(const QString& name)
{
    DataPrinterSettings s;
    s.setReportName(name);
    s.AddColumn(QStringLiteral("Sarake"), QStringLiteral("jrSukunimi"), 30);
    return s.ToText();
}

const std::map<std::string, RecordWindow>& windows()
{
    const auto text = [](const QModelIndex& i, qint64, const QString& name) { return i.data().toString() == name; };
    static const std::map<std::string, RecordWindow> all = {
        {"frmVuokra",
         {[](Database& db, const QString& name) {
              db.execute(QStringLiteral("INSERT INTO vs (vsNimi) VALUES (?)"), {Value(name)});
              return db.lastInsertId();
          },
          [] { return new frmVuokra; }, "tvwNimet",
          [](const QModelIndex& i, qint64 id, const QString&) {
              return i.data(Qt::UserRole).toString() == QString::number(id) + QStringLiteral("ID");
          },
          "vs", [](qint64 id) { frmVuokra::SearchDialog = [id](frmVuokra&) { return id; }; }}},
        {"frmPiirre",
         {[](Database& db, const QString& name) {
              db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (?, 1)"), {Value(name)});
              return db.lastInsertId();
          },
          [] { return new frmPiirre; }, "tvwPiirteet", text, "pi"}},
        {"frmRaportinMuokkaus",
         {[](Database& db, const QString& name) {
              db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(templateText(name))});
              return db.lastInsertId();
          },
          [] { return new frmRaportinMuokkaus; }, "lstRaps", text, "rp"}},
        {"frmSaalisilmoitus",
         {[](Database& db, const QString& name) {
              // A's catch before B's.
              const QDate day(2026, 10, name.startsWith(QLatin1Char('A')) ? 3 : 4);
              db.execute(QStringLiteral("INSERT INTO si (siLaji, siPvm) VALUES ('Hirvi', ?)"), {Value(day)});
              return db.lastInsertId();
          },
          [] { return new frmSaalisilmoitus; }, "tvwSaaliit",
          [](const QModelIndex& i, qint64 id, const QString&) {
              return i.data(Qt::UserRole).toString() == RecordCatalogue::treeKey(id);
          },
          "si"}},
    };
    return all;
}

struct Group {
    const char* window;
    Options options;
    std::function<void(Database&, qint64 id, qint64 value)> write;
    std::function<qint64(Database&, qint64 id)> read;
};

Group column(const char* window, const char* table, const char* field, Options options)
{
    const QString where = QStringLiteral(" WHERE %1ID = ?").arg(QLatin1String(table));
    const QString set = QStringLiteral("UPDATE %1 SET %2 = ?").arg(QLatin1String(table), QLatin1String(field)) + where;
    const QString get = QStringLiteral("SELECT %2 FROM %1").arg(QLatin1String(table), QLatin1String(field)) + where;
    return {window, std::move(options),
            [set](Database& db, qint64 id, qint64 v) {
                db.execute(set, {Value(v), Value(id)});
            },
            [get](Database& db, qint64 id) { return db.scalar(get, {Value(id)}).toInt64(); }};
}

// Orientation or lines of a report template, kept in its definition text.
Group templateSetting(const char* prefix, Options options)
{
    const bool lines = QLatin1String(prefix) == QLatin1String("optLines");
    const auto read = [](Database& db, qint64 id, DataPrinterSettings& s) {
        s.FromText(db.scalar(QStringLiteral("SELECT rpDef FROM rp WHERE rpID = ?"), {Value(id)}).toString());
    };
    return {"frmRaportinMuokkaus", std::move(options),
            [=](Database& db, qint64 id, qint64 v) {
                DataPrinterSettings s;
                read(db, id, s);
                lines ? s.setLines(v != 0) : s.setOrientation(int(v));
                db.execute(QStringLiteral("UPDATE rp SET rpDef = ? WHERE rpID = ?"), {Value(s.ToText()), Value(id)});
            },
            [=](Database& db, qint64 id) {
                DataPrinterSettings s;
                read(db, id, s);
                return lines ? qint64(s.Lines()) : qint64(s.Orientation());
            }};
}

std::vector<Group> groups()
{
    return {
        column("frmVuokra", "vs", "vsKoskee",
               {{"optKoskee_1", 1}, {"optKoskee_2", 2}, {"optKoskee_3", 3}, {"optKoskee_4", 4}}),
        column("frmVuokra", "vs", "vsVoimassa", {{"optVoimassa_1", 1}, {"optVoimassa_2", 2}}),
        column("frmVuokra", "vs", "vsVastike",
               {{"optVastike_1", 1}, {"optVastike_4", 4}, {"optVastike_2", 2}, {"optVastike_3", 3}}),
        column("frmVuokra", "vs", "vsOikeus", {{"optOikeus_1", 1}, {"optOikeus_2", 2}, {"optOikeus_3", 3}}),
        column("frmVuokra", "vs", "vsKoirat", {{"optKoira_1", 1}, {"optKoira_2", 2}, {"optKoira_3", 3}}),
        column("frmPiirre", "pi", "piType", {{"optType1", 1}, {"optType2", 2}}),
        templateSetting("optOrientation", {{"optOrientation_1", 1}, {"optOrientation_2", 2}}),
        templateSetting("optLines", {{"optLines_0", 1}, {"optLines_1", 0}}),
        column("frmSaalisilmoitus", "si", "siIka", {{"optAikuinen_0", 1}, {"optAikuinen_1", 0}}),
        column("frmSaalisilmoitus", "si", "siSukupuoli", {{"optSukupuoli_0", 1}, {"optSukupuoli_1", 0}}),
    };
}

void pick(QWidget& w, const RecordWindow& kind, qint64 id, const QString& name)
{
    auto* view = test::Control<QAbstractItemView>(w, kind.list);
    std::function<QModelIndex(const QModelIndex&)> find = [&](const QModelIndex& parent) {
        for (int r = 0; r < view->model()->rowCount(parent); ++r) {
            const QModelIndex i = view->model()->index(r, 0, parent);
            if (kind.is(i, id, name))
                return i;
            if (QModelIndex below = find(i); below.isValid())
                return below;
        }
        return QModelIndex();
    };
    const QModelIndex entry = find(QModelIndex());
    ASSERT_TRUE(entry.isValid()) << name.toStdString();
    view->scrollTo(entry);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(entry).center());
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

// Tab from the control before the group (Shift+Tab from the one after it) and where it lands.
std::string enter(QWidget& w, const Group& g, const char* chosen, bool backwards)
{
    const auto inGroup = [&](QWidget* c) {
        return std::any_of(g.options.begin(), g.options.end(), [&](const auto& o) { return c->objectName() == o.first; });
    };
    QWidget* from = test::Control<QWidget>(w, chosen);
    do
        from = backwards ? from->nextInFocusChain() : from->previousInFocusChain();
    while (inGroup(from) || !(from->focusPolicy() & Qt::TabFocus) || !from->isVisible() || !from->isEnabled());
    from->setFocus(Qt::MouseFocusReason);
    press(backwards ? Qt::Key_Backtab : Qt::Key_Tab);
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : std::string();
}

// How a window comes to show another record while the focus is in one of its groups: from record
// A to B, from B to A, back to A's stored choice, or to a new record.
struct Road {
    const char* name;
    enum Shows { AToB, BToA, PeruOnA, New } shows;
    QKeySequence key; // the command's key; none for a pick in the list
};

const Road kRoads[] = {
    {"a pick in the list", Road::AToB, {}},
    {"search", Road::AToB, QKeySequence(Qt::Key_F6)},
    {"next", Road::AToB, QKeySequence(Qt::CTRL | Qt::Key_D)},
    {"last", Road::AToB, QKeySequence(Qt::CTRL | Qt::Key_F)},
    {"previous", Road::BToA, QKeySequence(Qt::CTRL | Qt::Key_S)},
    {"first", Road::BToA, QKeySequence(Qt::CTRL | Qt::Key_A)},
    {"Peru", Road::PeruOnA, QKeySequence(Qt::CTRL | Qt::Key_Z)},
    {"new", Road::New, QKeySequence(Qt::Key_F2)},
};

bool hasCommand(QWidget& w, const QKeySequence& key)
{
    const auto actions = w.findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&](const QAction* a) { return a->shortcut() == key; });
}

void press(const QKeySequence& key)
{
    const QKeyCombination k = key[0];
    QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
}

} // namespace

TEST(OptionGroupRecords, EveryRoadToAnotherRecordTakesTheFocusToItsChoiceAndTheArrowGoesOnFromThere)
{
    test::ContractTestDb t;
    ScriptedPrompter prompter;
    const std::pair<Qt::Key, int> arrows[] = {{Qt::Key_Right, 1}, {Qt::Key_Down, 1}, {Qt::Key_Left, -1}, {Qt::Key_Up, -1}};
    int round = 0;
    for (const Group& g : groups()) {
        const RecordWindow& kind = windows().at(g.window);
        const int n = int(g.options.size());
        for (const Road& road : kRoads) {
            SCOPED_TRACE(std::string(g.options[0].first) + ", " + road.name);
            const auto [key, step] = arrows[round % 4];
            // Only A and B, A first in every order, A with its last option chosen, B with the one before.
            t.db.execute(QStringLiteral("DELETE FROM %1").arg(QLatin1String(kind.table)));
            const QString a = QStringLiteral("A%1").arg(round), b = QStringLiteral("B%1").arg(round++);
            const qint64 idA = kind.add(t.db, a), idB = kind.add(t.db, b);
            g.write(t.db, idA, g.options[std::size_t(n - 1)].second);
            g.write(t.db, idB, g.options[std::size_t(n - 2)].second);
            std::unique_ptr<QWidget> w(kind.make());
            if (!road.key.isEmpty() && !hasCommand(*w, road.key))
                continue;
            if (road.key == QKeySequence(Qt::Key_F6)) {
                if (!kind.searchFinds)
                    continue;
                kind.searchFinds(idB);
            }
            w->show();
            w->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));

            // The focus in the group, on the first record's choice.
            const bool fromB = road.shows == Road::BToA;
            const char* startOption = g.options[std::size_t(fromB ? n - 2 : n - 1)].first;
            pick(*w, kind, fromB ? idB : idA, fromB ? b : a);
            ASSERT_EQ(enter(*w, g, startOption, false), startOption);
            if (road.shows == Road::PeruOnA)
                press(QKeySequence(step > 0 ? Qt::Key_Left : Qt::Key_Right)); // a choice not stored
            if (road.key.isEmpty())
                pick(*w, kind, idB, b);
            else
                press(road.key);

            // The focus on the shown choice. Where it left the group (to the list clicked, to a new
            // record's first box), Tab brings it back.
            const auto focusedOption = [&] {
                const QWidget* f = QApplication::focusWidget();
                return std::find_if(g.options.begin(), g.options.end(),
                                    [&](const auto& o) { return f && f->objectName() == o.first; });
            };
            const auto chosen = std::find_if(g.options.begin(), g.options.end(), [&](const auto& o) {
                return test::Control<QRadioButton>(*w, o.first)->isChecked();
            });
            if (focusedOption() == g.options.end())
                enter(*w, g, (chosen == g.options.end() ? g.options.begin() : chosen)->first, false);
            const auto at = focusedOption();
            ASSERT_NE(at, g.options.end());
            if (chosen != g.options.end()) {
                EXPECT_EQ(at->first, chosen->first) << "the focus apart from the choice";
            }
            // The arrow goes on from where the user sees the focus, and that is stored (a new
            // record, which some windows store only with more typed, is seen chosen).
            const auto& expected = g.options[std::size_t((at - g.options.begin() + step + n) % n)];
            QTest::keyClick(QApplication::focusWidget(), key);
            EXPECT_TRUE(test::Control<QRadioButton>(*w, expected.first)->isChecked())
                << "after " << at->first << " key " << key;
            if (road.shows == Road::New)
                continue;
            press(QKeySequence(Qt::Key_F3));
            EXPECT_EQ(g.read(t.db, road.shows == Road::AToB ? idB : idA), expected.second)
                << "stored " << expected.first << " after " << at->first << " key " << key;
        }
    }
    frmVuokra::SearchDialog = nullptr;
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
}

TEST(OptionGroupRecords, TabLandsOnTheShownRecordsChoiceAndEachArrowStoresItsNeighbour)
{
    test::ContractTestDb t;
    ScriptedPrompter prompter;
    t.db.execute(QStringLiteral("DELETE FROM rp"));
    const std::pair<Qt::Key, int> arrows[] = {{Qt::Key_Right, 1}, {Qt::Key_Down, 1}, {Qt::Key_Left, -1}, {Qt::Key_Up, -1}};
    int round = 0;
    for (const Group& g : groups()) {
        const RecordWindow& kind = windows().at(g.window);
        const int n = int(g.options.size());
        for (const auto& [key, step] : arrows) {
            const bool backwards = step < 0;
            SCOPED_TRACE(std::string(g.options[0].first) + " key " + std::to_string(key));
            // A fresh window shows record A with its last option chosen, then B with the one before.
            const QString a = QStringLiteral("A%1").arg(round), b = QStringLiteral("B%1").arg(round++);
            const qint64 idA = kind.add(t.db, a), idB = kind.add(t.db, b);
            g.write(t.db, idA, g.options[std::size_t(n - 1)].second);
            g.write(t.db, idB, g.options[std::size_t(n - 2)].second);
            std::unique_ptr<QWidget> w(kind.make());
            w->show();
            w->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));

            pick(*w, kind, idA, a);
            EXPECT_EQ(enter(*w, g, g.options[std::size_t(n - 1)].first, backwards), g.options[std::size_t(n - 1)].first)
                << "record A";
            pick(*w, kind, idB, b);
            EXPECT_EQ(enter(*w, g, g.options[std::size_t(n - 2)].first, backwards), g.options[std::size_t(n - 2)].first)
                << "record B";
            press(key);
            press(Qt::Key_F3);
            const auto& expected = g.options[std::size_t((n - 2 + step + n) % n)];
            EXPECT_EQ(g.read(t.db, idB), expected.second) << "stored " << expected.first;
            EXPECT_EQ(g.read(t.db, idA), g.options[std::size_t(n - 1)].second);
        }
    }
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
}
