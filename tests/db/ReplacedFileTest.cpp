#include "db/ReplacedFile.h"

#include "DbTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "db/ClubChanges.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace tikkeli {
namespace {

// Two files replaced at once, and windows holding one of them, the other, none, or one whose
// reading fails: each window reads its own file again, once; the failure is shown once and keeps
// none of the windows after it from being told.
TEST(FollowReplacedFile, EachWindowReadsItsOwnFileAndAFailingOneSilencesNoOther)
{
    ScriptedPrompter prompter;
    const QString a = QStringLiteral("/seura/a.mdb");
    const QString b = QStringLiteral("/seura/b.mdb");
    struct Window {
        QString held;
        bool fails = false;
        int reads = 0;
        // The window itself; its reads are counted apart, so that they are seen after it is gone.
        std::unique_ptr<QObject> object = std::make_unique<QObject>();
    };
    std::vector<std::unique_ptr<Window>> windows;
    for (const auto& [held, fails] : {std::pair{a, true}, std::pair{a, false}, std::pair{QString(), false},
                                      std::pair{b, false}, std::pair{QStringLiteral("/seura/c.mdb"), false}}) {
        auto w = std::make_unique<Window>();
        w->held = held;
        w->fails = fails;
        Window* window = w.get();
        FollowReplacedFile(
            window->object.get(), [window] { return window->held; },
            [window] {
                ++window->reads;
                if (window->fails)
                    throw DbException(DbErr::Damaged, QStringLiteral("Tietokanta on vioittunut."));
            });
        windows.push_back(std::move(w));
    }

    ClubChanges::replaced(a);
    ClubChanges::replaced(b);
    QCoreApplication::processEvents();
    std::vector<int> reads;
    for (const auto& w : windows)
        reads.push_back(w->reads);
    EXPECT_EQ(reads, (std::vector<int>{1, 1, 0, 1, 0}));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("Tietokanta on vioittunut.")))
        << prompter.messageTexts()[0].toStdString();

    // Both files replaced again: a window that is gone, or that holds another file by now, is not
    // told; the one still holding its file is.
    windows[1]->object.reset();
    windows[3]->held = QStringLiteral("/seura/c.mdb");
    ClubChanges::replaced(a);
    ClubChanges::replaced(b);
    QCoreApplication::processEvents();
    reads.clear();
    for (const auto& w : windows)
        reads.push_back(w->reads);
    EXPECT_EQ(reads, (std::vector<int>{2, 1, 0, 1, 0}));
}

// A command tells of the new file while its transaction still holds the old one (its message shown
// inside it): the window reads once that transaction is over, not through it.
TEST(FollowReplacedFile, AWindowReadsOnceNoTransactionHoldsTheOldFile)
{
    DbFolder folder;
    Database db = folder.create();
    QObject window;
    int reads = 0;
    bool inTransaction = false;
    FollowReplacedFile(
        &window, [&] { return db.path(); },
        [&] {
            ++reads;
            inTransaction = db.inTransaction();
        });
    {
        Transaction open(db);
        ClubChanges::replaced(db.path());
        QCoreApplication::processEvents();
        QTest::qWait(100);
        EXPECT_EQ(reads, 0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return reads > 0; }, 5000));
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(inTransaction);
}

} // namespace
} // namespace tikkeli
