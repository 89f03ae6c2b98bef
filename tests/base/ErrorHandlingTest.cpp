#include "base/ErrorHandling.h"
#include "base/ScriptedPrompter.h"
#include "db/DbError.h"
#include "printing/ReportError.h"
#include "platform/SettingsError.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Collects what the "tikkeli.ignored" category logs while it lives.
class IgnoredLog {
public:
    IgnoredLog()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tikkeli.ignored.info=true"));
        s_lines.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext& c, const QString& text) {
            if (c.category && QByteArray(c.category) == "tikkeli.ignored")
                s_lines << text;
        });
    }
    ~IgnoredLog()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    const QStringList& lines() const { return s_lines; }

private:
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

TEST(IgnoringErrors, DropsEveryFailureAndLogsWhatWasDroppedAndWhy)
{
    const struct {
        std::function<void()> step;
        const char* logged;
    } cases[] = {
        {[] { throw DbException(DbErr::DuplicateKey, QStringLiteral("Avain on jo käytössä.")); },
         "poisto - 3022: Avain on jo käytössä."},
        {[] { throw ReportException(ReportErr::CannotOpenReport, QStringLiteral("Ei aukea")); }, "poisto - 20504: Ei aukea"},
        {[] { throw std::runtime_error("rikki"); }, "poisto - rikki"},
        {[] { throw 42; }, "poisto - tuntematon virhe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        IgnoredLog log;
        bool after = false;
        EXPECT_FALSE(IgnoringErrors("poisto", [&] {
            c.step();
            after = true;
        }));
        EXPECT_FALSE(after);
        EXPECT_EQ(log.lines(), QStringList{QString::fromUtf8(c.logged)});
    }
}

TEST(IgnoringErrors, AStepThatSucceedsRunsToItsEndAndLogsNothing)
{
    IgnoredLog log;
    int runs = 0;
    EXPECT_TRUE(IgnoringErrors("laskenta", [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(ReportingErrors, ShowsTheNumberAndDescriptionOfEveryKindOfErrorAndStops)
{
    const struct {
        std::function<void()> command;
        const char* shown;
    } cases[] = {
        {[] { throw DbException(DbErr::FileNotFound, QStringLiteral("Tiedostoa ei löydy.")); },
         "Virhe: 3024: Tiedostoa ei löydy."},
        {[] { throw ReportException(ReportErr::InvalidReport, QStringLiteral("Viallinen raportti")); },
         "Virhe: 20525: Viallinen raportti"},
        {[] { throw SettingsError(QStringLiteral("Ei voi kirjoittaa")); }, "Virhe: 75: Ei voi kirjoittaa"},
        {[] { throw std::runtime_error("rikki"); }, "Virhe: rikki"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ScriptedPrompter prompter;
        bool after = false;
        EXPECT_FALSE(ReportingErrors(QStringLiteral("Virhe: "), [&] {
            c.command();
            after = true;
        }));
        EXPECT_FALSE(after);
        ASSERT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(prompter.shown()[0].text, QString::fromUtf8(c.shown));
        EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Warning);
    }
}

TEST(ReportingErrors, ACommandThatSucceedsShowsNothing)
{
    ScriptedPrompter prompter;
    EXPECT_TRUE(ReportingErrors(QStringLiteral("Virhe: "), [] {}));
    EXPECT_TRUE(prompter.shown().empty());
}
