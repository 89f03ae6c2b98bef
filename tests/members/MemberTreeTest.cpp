#include "members/MemberList.h"
#include "members/MemberTree.h"
#include "MemberTestDb.h"

#include <gtest/gtest.h>

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

TEST(MemberTree, NodeKeys)
{
    MemberTree::Member m{57, QStringLiteral("x")};
    EXPECT_EQ(m.key(), QStringLiteral("57ID"));
    const std::pair<const char*, qint64> cases[] = {{"57ID", 57}, {"57id", 57}, {"", 0}, {"A", 0}, {"Aakkostettu", 0}};
    for (const auto& [key, id] : cases)
        EXPECT_EQ(MemberTree::idFromKey(QString::fromUtf8(key)), id) << key;
}
