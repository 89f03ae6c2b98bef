#include "MemberSearchTestDb.h"

#include "members/MemberNameSearch.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

TEST(MemberNameSearchEntry, JoinsNamesAndTownSkippingNulls)
{
    EXPECT_EQ(MemberNameSearch::entryText("Virta", "Anna", "Oulu"), "Virta Anna - Oulu");
    EXPECT_EQ(MemberNameSearch::entryText("Virta", Value(), "Oulu"), "Virta - Oulu");
    EXPECT_EQ(MemberNameSearch::entryText(Value(), "Anna", Value()), "Anna - ");
}

class MemberNameSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        virta = t.addMember("1", "Virta", "Anna", "Oulu");
        virtanen = t.addMember("2", "Virtanen", "Eero", "Kemi");
        obrien = t.addMember("3", "O'Brien", "Anna-Liisa", "Tornio");
        t.addMember("4", "Mäki", {}, "Oulu");
    }
    std::vector<qint32> ids(const QString& surname, const QString& first)
    {
        std::vector<qint32> out;
        for (const auto& e : MemberNameSearch::find(t.db(), surname, first))
            out.push_back(e.jrID);
        return out;
    }
    test::MemberSearchTestDb t;
    qint32 virta = 0, virtanen = 0, obrien = 0;
};

TEST_F(MemberNameSearchTest, PartsMatchAnywhereAndCombineWithAnd)
{
    EXPECT_EQ(ids("irt", ""), (std::vector<qint32>{virta, virtanen}));
    EXPECT_EQ(ids("", "anna"), (std::vector<qint32>{virta, obrien}));
    EXPECT_EQ(ids("virta", "ee"), (std::vector<qint32>{virtanen}));
    EXPECT_EQ(ids("MÄKI", ""), (std::vector<qint32>{4}));
    EXPECT_TRUE(ids("Virta ", "").empty()); // typed text is not trimmed
    EXPECT_TRUE(MemberNameSearch::find(t.db(), "", "").empty());
    EXPECT_FALSE(MemberNameSearch::hasCriteria("", ""));
}

TEST_F(MemberNameSearchTest, ApostrophesAndInjectionAttemptsAreSearchedAsText)
{
    EXPECT_EQ(ids("O'Brien", ""), (std::vector<qint32>{obrien}));
    EXPECT_EQ(ids("'", "Anna-"), (std::vector<qint32>{obrien}));
    for (const char* attack : {"' OR '1'='1", "%' OR 1=1 --", "x'); DROP TABLE jr; --"}) {
        SCOPED_TRACE(attack);
        EXPECT_TRUE(ids(attack, "").empty());
        EXPECT_TRUE(ids("", attack).empty());
    }
    EXPECT_TRUE(ids("%", "").empty());
    EXPECT_EQ(ids("V*en", ""), (std::vector<qint32>{virtanen})); // * stays the wildcard
    EXPECT_EQ(t.db().scalar("SELECT COUNT(*) FROM jr").toInt64(), 4);
}

} // namespace
} // namespace tikkeli
