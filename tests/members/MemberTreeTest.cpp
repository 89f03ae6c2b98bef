#include "members/MemberList.h"
#include "members/MemberTree.h"
#include "MemberTestDb.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tikkeli;

namespace {

// "A: Aho Eeva, Ahola Pekka | V: ..." for compact comparisons.
QString describe(const std::vector<MemberTree::Letter>& letters)
{
    QStringList parts;
    for (const auto& l : letters) {
        QStringList names;
        for (const auto& m : l.members)
            names << m.text;
        parts << l.letter + QStringLiteral(": ") + names.join(QStringLiteral(", "));
    }
    return parts.join(QStringLiteral(" | "));
}

} // namespace

TEST(MemberTree, EmptyRegisterHasNoLetters)
{
    test::MemberTestDb t;
    EXPECT_TRUE(MemberTree::build(t.db, 0).empty());
}

TEST(MemberTree, LettersInFinnishOrderWithVAndWApartAndOtherInitialsLast)
{
    test::MemberTestDb t;
    for (const char* s : {"Öhman", "Wallin", "Virtanen", "aho", "Ärrä", "Åberg", "Berg", "Zetterberg", "Vainio"})
        t.member(QString::fromUtf8(s), QStringLiteral("X"));
    t.member(Value(), QStringLiteral("Nimetön"));
    t.member(QStringLiteral("1. Testi"));
    t.member(QStringLiteral(" Välilyönti"));
    t.member(QStringLiteral("Berg")); // Null first name
    EXPECT_EQ(describe(MemberTree::build(t.db, 0)),
              QStringLiteral("A: aho X | B: Berg , Berg X | V: Vainio X, Virtanen X | W: Wallin X | Z: Zetterberg X | "
                             "Å: Åberg X | Ä: Ärrä X | Ö: Öhman X | Muut:  Nimetön,  Välilyönti , 1. Testi "));
}

TEST(MemberTree, EveryMemberHasANodeWhateverTheInitial)
{
    test::MemberTestDb t;
    const char* others[] = {"Üstün", "Élan", "Émond", "Østergaard", "3M Oy", " X", "_Alaviiva"};
    for (const char* s : others)
        t.member(QString::fromUtf8(s));
    t.member(QStringLiteral("Öster"));
    t.member(QStringLiteral("Aalto"));
    t.member(QStringLiteral("Wahl"));
    const auto letters = MemberTree::build(t.db, 0);
    ASSERT_EQ(letters.size(), 4u);
    EXPECT_EQ(letters[0].letter, QStringLiteral("A"));
    EXPECT_EQ(letters[1].letter, QStringLiteral("W"));
    EXPECT_EQ(letters[2].letter, QStringLiteral("Ö"));
    EXPECT_EQ(letters[3].letter, QStringLiteral("Muut"));
    QStringList listed;
    for (const auto& l : letters)
        for (const auto& m : l.members)
            listed << m.text.chopped(1);
    EXPECT_EQ(listed.size(), int(std::size(others)) + 3);
    for (const char* s : others)
        EXPECT_TRUE(listed.contains(QString::fromUtf8(s))) << s;
}

TEST(MemberTree, FilterListsOnlyHoldersOnceEach)
{
    test::MemberTestDb t;
    const qint64 dog = t.feature(QStringLiteral("Koira"));
    const qint64 a = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"));
    t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"));
    const qint64 v = t.member(QStringLiteral("Virta"), QStringLiteral("Ville"));
    t.give(a, dog);
    t.give(a, dog);
    t.give(v, dog);
    EXPECT_EQ(describe(MemberTree::build(t.db, dog)), QStringLiteral("A: Aho Eeva | V: Virta Ville"));
    EXPECT_EQ(MemberList::count(t.db, dog), 2);
    EXPECT_EQ(MemberList::count(t.db, 0), 3);
    EXPECT_EQ(MemberList::ids(t.db, dog), (std::vector<qint64>{a, v}));
}

// One member read again after a change made elsewhere: its entry is renamed in its group, moves
// to its new letter, leaves or joins the list (also by the filter's feature), or asks for the
// groups to be read again when its letter has no group; the other members stay as read.
TEST(MemberTree, OneMemberReadAgainTakesItsPlaceAndTheRestStayAsRead)
{
    struct Case {
        const char* what;
        bool filtered;
        // Changes the file; the member to read again.
        std::function<qint64(test::MemberTestDb&, qint64 aho, qint64 dog)> change;
        MemberTree::Groups::Change expected;
        const char* after;
    };
    const auto sql = [](const char* statement) {
        return [statement](test::MemberTestDb& t, qint64 aho, qint64) {
            t.db.execute(QString::fromUtf8(statement), {Value(aho)});
            return aho;
        };
    };
    const Case cases[] = {
        {"first name",
         false,
         sql("UPDATE jr SET jrEtunimi = 'Aino' WHERE jrID = ?"),
         {0, 0, true, false},
         "A: Aho Aino, Ahola Pekka | B: Berg Kalle | V: Virta Ville"},
        {"nothing the tree shows",
         false,
         sql("UPDATE jr SET jrJasenmaksu = 1 WHERE jrID = ?"),
         {0, 0, false, false},
         "A: Aho Eeva, Ahola Pekka | B: Berg Kalle | V: Virta Ville"},
        {"to another letter",
         false,
         sql("UPDATE jr SET jrSukunimi = 'Berglund' WHERE jrID = ?"),
         {0, 1, true, false},
         "A: Ahola Pekka | B: Berg Kalle, Berglund Eeva | V: Virta Ville"},
        {"deleted",
         false,
         sql("DELETE FROM jr WHERE jrID = ?"),
         {0, -1, true, false},
         "A: Ahola Pekka | B: Berg Kalle | V: Virta Ville"},
        {"to a letter without a group",
         false,
         sql("UPDATE jr SET jrSukunimi = 'Öhman' WHERE jrID = ?"),
         {0, -1, false, true},
         "A: Aho Eeva, Ahola Pekka | B: Berg Kalle | V: Virta Ville"},
        {"the feature taken away",
         true,
         sql("DELETE FROM pt WHERE ptjrID = ?"),
         {0, -1, true, false},
         "A:  | B: Berg Kalle"},
        {"a new holder",
         true,
         [](test::MemberTestDb& t, qint64, qint64 dog) {
             const qint64 id = t.member(QStringLiteral("Aalto"), QStringLiteral("Anna"));
             t.give(id, dog);
             return id;
         },
         {-1, 0, true, false},
         "A: Aalto Anna, Aho Eeva | B: Berg Kalle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::MemberTestDb t;
        const qint64 dog = t.feature(QStringLiteral("Koira"));
        const qint64 aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"));
        t.member(QStringLiteral("Ahola"), QStringLiteral("Pekka"));
        const qint64 berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"));
        t.member(QStringLiteral("Virta"), QStringLiteral("Ville"));
        t.give(aho, dog);
        t.give(berg, dog);
        const qint64 featureId = c.filtered ? dog : 0;
        MemberTree::Groups groups = MemberTree::read(t.db, featureId);
        // Not read again: the groups keep what they read.
        t.db.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kaarlo' WHERE jrID = ?"), {Value(berg)});
        const qint64 id = c.change(t, aho, dog);
        const MemberTree::Groups::Change change = MemberTree::reread(t.db, featureId, groups, id);
        EXPECT_EQ(change.from, c.expected.from);
        EXPECT_EQ(change.to, c.expected.to);
        EXPECT_EQ(change.changed, c.expected.changed);
        EXPECT_EQ(change.newGroup, c.expected.newGroup);
        QStringList letters;
        for (int i = 0; i < groups.letterCount(); ++i) {
            QStringList names;
            for (const MemberTree::Member& m : groups.members(i))
                names << m.text;
            letters << groups.letter(i) + QStringLiteral(": ") + names.join(QStringLiteral(", "));
        }
        EXPECT_EQ(letters.join(QStringLiteral(" | ")), QString::fromUtf8(c.after));
        EXPECT_EQ(groups.letterOf(id), change.newGroup ? change.from : change.to);
    }
}

TEST(MemberTree, NodeKeys)
{
    MemberTree::Member m{57, QStringLiteral("x")};
    EXPECT_EQ(m.key(), QStringLiteral("57ID"));
    const std::pair<const char*, qint64> cases[] = {{"57ID", 57}, {"57id", 57}, {"", 0}, {"A", 0}, {"Aakkostettu", 0}};
    for (const auto& [key, id] : cases)
        EXPECT_EQ(MemberTree::idFromKey(QString::fromUtf8(key)), id) << key;
}
