// The group e-mail's recipient list (its second step) on clubs of 10,000 and 100,000 members, shown
// as the user sees it, against a plain fill of the same list: the same rows read through the same
// query, each item made whole (text, member id, check box, tick) and added to a list widget of its
// own, which is then shown and drawn as the window is (a list never shown lays out nothing): a list
// of the window's list's size, its rows of one height as the window's are. The two sides run
// interleaved; the ratio is of the medians (PairedRatio.h).
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "lists/GroupEmail.h"
#include "lists/ui/frmGroupEmail2.h"

#include <QApplication>
#include <QListWidget>
#include <QLocale>
#include "ClubFixture.h"
#include "PairedRatio.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

ClubFixture& fixture(int members)
{
    return SharedClubFixture(members, true);
}

std::string clubSize(int members)
{
    return members == 100000 ? "100,000" : "10,000";
}

// The plain list of the baselines, filled before it is shown.
void plainFill(tikkeli::Database& db, QListWidget& list)
{
    for (const tikkeli::GroupEmailMember& m : tikkeli::GroupEmail::Members(db)) {
        auto* item = new QListWidgetItem(m.text);
        item->setData(Qt::UserRole, m.id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        list.addItem(item);
    }
}

// The window shown and drawn, as the event loop leaves it after show().
void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void RecipientList(benchmark::State& state)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    tikkeli::ScriptedPrompter quiet;
    // The size the window gives its list, for the baseline's (untimed).
    QSize listSize;
    {
        tikkeli::frmGroupEmail2 w;
        w.show();
        settle();
        if (auto* list = w.findChild<QListWidget*>(QStringLiteral("lstEmailsTo")))
            listSize = list->size();
        tikkeli::ConnectionRegistry::closeAll(f.database);
    }
    if (listSize.isEmpty())
        state.SkipWithError("the group e-mail window has no recipient list");
    RunPaired(
        state, "group e-mail recipient list shown, " + clubSize(members) + " members", 1.5,
        [&] {
            tikkeli::Database db = tikkeli::Database::open(f.database);
            QListWidget list;
            list.setUniformItemSizes(true);
            list.resize(listSize);
            plainFill(db, list);
            list.show();
            settle();
            benchmark::DoNotOptimize(list.count());
            db = tikkeli::Database();
            tikkeli::ConnectionRegistry::closeAll(f.database);
        },
        [&] {
            auto* w = new tikkeli::frmGroupEmail2;
            if (!w->isLoaded())
                state.SkipWithError("the group e-mail window did not load");
            w->show();
            settle();
            delete w;
            tikkeli::ConnectionRegistry::closeAll(f.database);
        });
}
BENCHMARK(RecipientList)->Arg(10000)->Arg(100000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    return RunPairedBenchmarks(argc, argv);
}
