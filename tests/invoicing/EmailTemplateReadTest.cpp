#include "base/SharedState.h"
#include "invoicing/EmailTemplate.h"
#include "support/FailingFileSafety.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

TEST(EmailTemplateRead, ATemplateReadInPartOrTooWideIsNotOpenedAndTheReasonNamed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lasku.txt"));
    // Longer than one read, so a failure can come halfway through.
    const QByteArray whole = "Lasku <LASKUNUMERO:6>\n" + QByteArray(100'000, 'x') + "\n<VIITENUMERO:20>\n";
    struct Case {
        const char* name;
        QByteArray bytes;
        int failRead; // the read that fails (0: none)
        const char* reason;
    };
    const Case cases[] = {
        {"the first read fails", whole, 1, "Laitteen I/O-virhe"},
        {"a read halfway fails", whole, 2, "Laitteen I/O-virhe"},
        {"a field wider than any e-mail", "Otsake <LASKUOTSAKE: 5000 >\n<VIITENUMERO:20>\n", 0, "<LASKUOTSAKE: 5000 >"},
        {"the widest field allowed", "<LISATIETOTEKSTI:1000>\n", 0, nullptr},
        {"a whole template", whole, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        State().InvoiceTemplatePath = path;
        test::FailingFileSafety files;
        files.fault = [&, reads = 0](FileStep step, const QString&) mutable {
            return step == FileStep::Read && ++reads == c.failRead ? EIO : 0;
        };
        QString text = QStringLiteral("ennallaan");
        QString why;
        const bool opened = EmailTemplate::LoadInvoiceTemplate(text, &why);
        if (!c.reason) {
            EXPECT_TRUE(opened) << why.toStdString();
            EXPECT_EQ(text, EmailTemplate::decodeTemplate(c.bytes));
            continue;
        }
        EXPECT_FALSE(opened);
        EXPECT_EQ(text, QStringLiteral("ennallaan")) << "nothing of a template read in part is used";
        EXPECT_TRUE(why.contains(path)) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.reason))) << why.toStdString();
    }
}

// Each placeholder used to rebuild the whole text: a large template took seconds per e-mail.
TEST(EmailTemplateFill, FillingIsOnePassOverTheTemplate)
{
    const QString line = QStringLiteral("<LASKUNUMERO:6>|<VIITENUMERO:8>|<laskuotsake:3>|<TUNTEMATON:2>\r\n");
    const QString templ = line.repeated(40'000); // 2.4 MB
    QElapsedTimer clock;
    clock.start();
    const QString text = EmailTemplate::ReplaceInvoiceFields(templ, {}, {}, QStringLiteral("42"), QStringLiteral("1232"),
                                                             QStringLiteral("<VIITENUMERO:8>"), {});
    EXPECT_LT(clock.elapsed(), 2000);
    // A value is inserted once: a title that looks like a placeholder is not filled again.
    EXPECT_EQ(text, QStringLiteral("42    |1232    |<VI|<TUNTEMATON:2>\r\n").repeated(40'000));
}

} // namespace
