#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "invoicing/ui/frmViitemaksut.h"

#include <functional>

using namespace tikkeli;

namespace {

struct Opened {
    std::unique_ptr<QWidget> window;
    bool loaded = false;
};

template <class W>
Opened openOne()
{
    auto w = test::openShown<W>();
    const bool loaded = w->loaded();
    return {std::move(w), loaded};
}

const struct {
    const char* name;
    std::function<Opened()> open;
    // Reads tables while loading, so a database without them fails the load. The grid reports a
    // failed fill itself and stays open.
    bool readsAtLoad;
} kWindows[] = {
    {"frmMaksut", openOne<frmMaksut>, true},
    {"frmMaksutListana", openOne<frmMaksutListana>, false},
    {"frmMaksujenLuonti", openOne<frmMaksujenLuonti>, true},
    {"frmViitemaksut", openOne<frmViitemaksut>, false},
};

const QString kCheck = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");

// Every invoicing window that works on the club database for its life either loads, or tells the
// user why not and goes away, disabled until it does.
TEST(InvoicingWindowLoad, AWindowWithoutItsDatabaseSaysSoAndCloses)
{
    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
    const QString foreign = club.env.root() + QStringLiteral("/vieras.mdb");
    Database::create(foreign).execute(QStringLiteral("CREATE TABLE muu (id INTEGER)"));

    const struct {
        QString setting;
        bool foreignFile;
        QString expected; // the whole message, or its first line when the error follows
        bool errorFollows;
    } settings[] = {
        {QString(), false, kCheck, false},
        {QStringLiteral("unknown"), false, kCheck, false},
        {club.env.root() + QStringLiteral("/eiole.mdb"), false, kCheck, true},
        {foreign, true, kCheck, true},
    };
    for (const auto& window : kWindows) {
        for (const auto& s : settings) {
            const std::string where = std::string(window.name) + " " + s.setting.toStdString();
            prompter.clear();
            State().DatabasePath = s.setting;
            Opened o = window.open();
            if (s.foreignFile && !window.readsAtLoad) {
                EXPECT_TRUE(o.loaded) << where;
                continue;
            }
            EXPECT_FALSE(o.loaded) << where;
            ASSERT_EQ(prompter.messageTexts().size(), 1) << where;
            const QString shown = prompter.messageTexts().first();
            if (s.errorFollows) {
                EXPECT_TRUE(shown.startsWith(s.expected + QStringLiteral("\r\n"))) << where;
                EXPECT_GT(shown.size(), s.expected.size() + 2) << where;
            } else {
                EXPECT_EQ(shown, s.expected) << where;
            }
            EXPECT_FALSE(o.window->isEnabled()) << where;
            QApplication::processEvents();
            EXPECT_FALSE(o.window->isVisible()) << where;
        }
    }
    State().DatabasePath = club.path;
    for (const auto& window : kWindows) {
        prompter.clear();
        EXPECT_TRUE(window.open().loaded) << window.name;
        EXPECT_TRUE(prompter.messageTexts().isEmpty()) << window.name;
    }
}

} // namespace
