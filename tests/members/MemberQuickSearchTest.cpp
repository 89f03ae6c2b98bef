#include "MemberSearchTestDb.h"

#include "members/MemberQuickSearch.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

using Field = MemberQuickSearch::Field;

class MemberQuickSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        virta = t.addMember("12", "Virta", "Anna", "Oulu", "Rantatie 1", "08-123", "040-1", "anna@x.fi");
        maki = t.addMember("7", "Mäki", "Pekka", "Kemi", "Kuja 2", {}, "050-2", "pekka@x.fi");
        obrien = t.addMember("O'1", "O'Brien", "Sean", "Tornio", "Pub's Lane 3", {}, {}, "sean@x.fi");
        memoFeature = t.addFeature(QStringLiteral("Muistio"));
    }
    test::MemberSearchTestDb t;
    qint32 virta = 0, maki = 0, obrien = 0, memoFeature = 0;
};

TEST_F(MemberQuickSearchTest, FieldEntriesSkipNullAndKeepDuplicates)
{
    const qint32 twin = t.addMember("13", "Virta", "Eero", "Oulu", "Rantatie 1");
    MemberQuickSearch search(t.db());
    EXPECT_EQ(search.fieldEntries(Field::Puhelin), (std::vector<MemberSearchEntry>{{"08-123", virta}}));
    const auto addresses = search.fieldEntries(Field::Osoite);
    ASSERT_EQ(addresses.size(), 4u);
    EXPECT_EQ(addresses[0].text, "Kuja 2");
    EXPECT_EQ(addresses[2], (MemberSearchEntry{"Rantatie 1", virta}));
    EXPECT_EQ(addresses[3], (MemberSearchEntry{"Rantatie 1", twin}));
}

TEST_F(MemberQuickSearchTest, FindEqualComparesWholeTextWithoutCase)
{
    MemberQuickSearch search(t.db());
    EXPECT_EQ(search.findEqual(Field::Jasennumero, "12"), virta);
    EXPECT_EQ(search.findEqual(Field::Jasennumero, " 12"), std::nullopt); // not trimmed
    EXPECT_EQ(search.findEqual(Field::Jasennumero, "1"), std::nullopt);   // whole value only
    EXPECT_EQ(search.findEqual(Field::Email, "PEKKA@X.FI"), maki);
    EXPECT_EQ(search.findEqual(Field::Osoite, "kuja 2"), maki);
}

// Typed values once went into the statement between quotes: an apostrophe broke the search and
// crafted text could change the statement. Every one of these is now just text to look for.
TEST_F(MemberQuickSearchTest, TypedTextCannotChangeTheStatement)
{
    MemberQuickSearch search(t.db());
    EXPECT_EQ(search.findEqual(Field::Jasennumero, "O'1"), obrien);
    EXPECT_EQ(search.findEqual(Field::Osoite, "Pub's Lane 3"), obrien);
    for (const char* attack : {"' OR '1'='1", "x' OR jrID > 0 --", "'; DELETE FROM jr; --", "12' --"}) {
        SCOPED_TRACE(attack);
        EXPECT_EQ(search.findEqual(Field::Jasennumero, attack), std::nullopt);
        EXPECT_EQ(search.findEqual(Field::Email, attack), std::nullopt);
        EXPECT_EQ(search.findInMemos(attack).count, 0);
        EXPECT_EQ(search.findMemoBeginning(attack).count, 0);
    }
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM jr").toInt64(), 3);
}

TEST_F(MemberQuickSearchTest, MemoSearchCountsValuesNotMembers)
{
    t.addMemo(virta, memoFeature, "Hirvikoira mukana");
    t.addMemo(virta, memoFeature, "Toinen hirvikoira");
    t.addMemo(maki, memoFeature, "Ei koiraa");
    MemberQuickSearch search(t.db());
    const auto twice = search.findInMemos("hirvikoira");
    EXPECT_EQ(twice.count, 2);
    EXPECT_EQ(twice.firstId, virta);
    const auto all = search.findInMemos("koira");
    EXPECT_EQ(all.count, 3);
    EXPECT_EQ(search.findInMemos("kissa").count, 0);
}

TEST_F(MemberQuickSearchTest, MemoPatternsKeepTheStarWildcardAndTreatOthersLiterally)
{
    t.addMemo(maki, memoFeature, "Ampuma 100% ok_a");
    t.addMemo(obrien, memoFeature, "O'Brienin koira");
    MemberQuickSearch search(t.db());
    const struct {
        const char* text;
        bool beginning;
        int count;
    } cases[] = {
        {"100%", false, 1},
        {"100% ok_a", false, 1},
        {"1%0", false, 0},       // % is no wildcard for the user
        {"p_m", false, 0},       // nor is _ ("pum" is there)
        {"Ampuma*ok", false, 1}, // * is
        {"ampuma", true, 1},
        {"muma", true, 0},
        {"puma", true, 0}, // in the memo, but not at its beginning
        {"ok_a", true, 0},
        {"koira", true, 0},
        {"puma", false, 1},
        {"O'Brien", true, 1},
        {"Ampuma 100% ok_a and far longer than thirty characters", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto hits = c.beginning ? search.findMemoBeginning(c.text) : search.findInMemos(c.text);
        EXPECT_EQ(hits.count, c.count);
    }
}

TEST_F(MemberQuickSearchTest, MemoBeginningsAreCutSortedAndOfExistingMembersOnly)
{
    t.addMemo(virta, memoFeature, "Örkki");
    t.addMemo(maki, memoFeature, "abcdefghijklmnopqrstuvwxyz0123456789");
    t.addMemo(99999, memoFeature, "Poistetun jäsenen muistio");
    t.addMemo(obrien, memoFeature, "Zeta");
    MemberQuickSearch search(t.db());
    const auto entries = search.memoBeginnings();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (MemberSearchEntry{"abcdefghijklmnopqrstuvwxyz0123", maki}));
    EXPECT_EQ(entries[1].text, "Zeta");
    EXPECT_EQ(entries[2].text, "Örkki"); // Ö after Z
    // The full text of a long beginning still finds its member.
    EXPECT_EQ(search.findMemoBeginning("abcdefghijklmnopqrstuvwxyz012345678").firstId, maki);
}

} // namespace
} // namespace tikkeli
