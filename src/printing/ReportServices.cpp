#include "printing/ReportServices.h"

#include "base/ErrorHandling.h"
#include "base/ProgramHooks.h"
#include "printing/PrintChoices.h"
#include "base/SharedState.h"
#include "printing/FormulaText.h"

#include <limits>

namespace tikkeli {

namespace {

bool blank(const QString& s)
{
    return s.trimmed().isEmpty();
}

qint16 marginTwips(qint16 setting)
{
    // The control's margin is a 16-bit value; the settings save keeps settings within ±682.
    const int twips = int(setting) * 48;
    return qint16(std::clamp(twips, int(std::numeric_limits<qint16>::min()), int(std::numeric_limits<qint16>::max())));
}

// The texts at 0..10 that the club and reminder formulas share.
void setSharedClubFormulas(ReportEngine& r)
{
    const SharedState& s = State();
    r.setFormulas(0, FormulaText::named(QStringLiteral("Seurannimi"), s.ClubName));
    r.setFormulas(1, FormulaText::named(QStringLiteral("Seuranosoite"), s.ClubAddress));
    r.setFormulas(
        2, FormulaText::named(QStringLiteral("Seuranpostiosoite"), s.ClubPostalCode + QLatin1Char(' ') + s.ClubPostOffice));
    r.setFormulas(3, FormulaText::named(QStringLiteral("Puhelin"), s.ClubPhone));
    r.setFormulas(4, FormulaText::named(QStringLiteral("Fax"), s.ClubFax));
    r.setFormulas(5, FormulaText::named(QStringLiteral("Pankkiyhteys1"), s.BankAccount1));
    r.setFormulas(6, FormulaText::named(QStringLiteral("Pankkiyhteys2"), s.BankAccount2));
    QString phoneFax;
    if (!blank(s.ClubPhone) && !blank(s.ClubFax))
        phoneFax = QStringLiteral("Puh: ") + s.ClubPhone + QStringLiteral("  Fax: ") + s.ClubFax;
    else if (!blank(s.ClubPhone))
        phoneFax = QStringLiteral("Puh: ") + s.ClubPhone;
    else if (!blank(s.ClubFax))
        phoneFax = QStringLiteral("Fax: ") + s.ClubFax;
    r.setFormulas(7, FormulaText::named(QStringLiteral("SeuranPuhelinJaFax"), phoneFax));
    r.setFormulas(8, FormulaText::named(QStringLiteral("SeuranEmail"),
                                        blank(s.ClubEmail) ? QString() : QStringLiteral("Email: ") + s.ClubEmail));
    r.setFormulas(9,
                  FormulaText::named(QStringLiteral("SeuranInternet"),
                                     blank(s.ClubWebAddress) ? QString() : QStringLiteral("Internet: ") + s.ClubWebAddress));
    r.setFormulas(10, FormulaText::named(QStringLiteral("YTunnus"),
                                         blank(s.BusinessId) ? QString() : QStringLiteral("Y-tunnus:") + s.BusinessId));
}

void setBankFormulas(ReportEngine& r, int first)
{
    const SharedState& s = State();
    r.setFormulas(first, FormulaText::named(QStringLiteral("IBAN1"), s.Iban1));
    r.setFormulas(first + 1, FormulaText::named(QStringLiteral("IBAN2"), s.Iban2));
    r.setFormulas(first + 2, FormulaText::named(QStringLiteral("BIC1"), s.Bic1));
    r.setFormulas(first + 3, FormulaText::named(QStringLiteral("BIC2"), s.Bic2));
}

} // namespace

void ResetReportFonts(ReportEngine& report)
{
    report.setSectionFont(0, QStringLiteral("DETAIL;") + State().ReportFontName + QLatin1Char(';')
                                 + QString::number(State().ReportFontSize) + QStringLiteral(";X;X;X;X"));
    for (int i = 1; i <= 8; ++i)
        report.setSectionFont(i, QString());
}

void ResetReportFormulas()
{
    // Each part of the reset is done even when another fails.
    ReportEngine& r = MainReport();
    IgnoringErrors("report reset: fonts", [&] { ResetReportFonts(r); });
    IgnoringErrors("report reset: window controls", [&] { r.WindowControls = true; });
    IgnoringErrors("report reset: window state", [&] { r.WindowState = 2; });
    IgnoringErrors("report reset: data files", [&] {
        for (int i = 0; i <= 22; ++i)
            r.setDataFiles(i, State().DatabasePath);
    });
    IgnoringErrors("report reset: selection formula", [&] { r.SelectionFormula.clear(); });
    IgnoringErrors("report reset: formulas", [&] {
        for (int i = 0; i <= 20; ++i)
            r.setFormulas(i, QString());
    });
    // A sort field left from the previous print would sort the next report on, or fail on, a
    // field it does not have: every print that sorts sets its own after this reset.
    IgnoringErrors("report reset: sort fields", [&] { r.clearSortFields(); });
}

void SetReportMargins(ReportEngine& report, int mode)
{
    const SharedState& s = State();
    const bool labels = mode == 1;
    report.MarginBottom = marginTwips(labels ? s.LabelMarginBottom : s.MarginBottom);
    report.MarginLeft = marginTwips(labels ? s.LabelMarginLeft : s.MarginLeft);
    report.MarginRight = marginTwips(labels ? s.LabelMarginRight : s.MarginRight);
    report.MarginTop = marginTwips(labels ? s.LabelMarginTop : s.MarginTop);
}

void ClearSectionFonts(ReportEngine& report)
{
    for (int i = 0; i <= 8; ++i)
        report.setSectionFont(i, QString());
}

void ApplySectionFonts(ReportEngine& report, bool grouped)
{
    const QString f = State().ReportFontName;
    const QString size = QString::number(State().ReportFontSize);
    auto text = [](const QString& section, const QString& font, const QString& sz) {
        return section + QLatin1Char(';') + font + QLatin1Char(';') + sz + QStringLiteral(";X;X;X;X");
    };
    report.setSectionFont(0, text(grouped ? QStringLiteral("DETAIL") : QStringLiteral("ALL"), f, size));
    report.setSectionFont(1, text(QStringLiteral("TITLE"), f, QStringLiteral("12")));
    report.setSectionFont(2, grouped ? text(QStringLiteral("HEADER"), f, QStringLiteral("X")) : QString());
    report.setSectionFont(3, grouped ? text(QStringLiteral("GH1"), f, size) : QString());
    report.setSectionFont(4, grouped ? text(QStringLiteral("GF1"), f, size) : QString());
    for (int i = 5; i <= 8; ++i)
        report.setSectionFont(i, QString());
}

void SetClubFormulas(ReportEngine& report)
{
    setSharedClubFormulas(report);
    setBankFormulas(report, 11);
}

void SetReminderClubFormulas(ReportEngine& report)
{
    setSharedClubFormulas(report);
    report.setFormulas(11, FormulaText::named(QStringLiteral("MuistutusAlku"), State().ReminderOpening));
    report.setFormulas(12, FormulaText::named(QStringLiteral("MuistutusLoppu"), State().ReminderClosing));
    setBankFormulas(report, 13);
}

std::array<QString, 11>& PendingReportFormulas()
{
    static std::array<QString, 11> pending;
    return pending;
}

void ClearReportFormulaList()
{
    PendingReportFormulas().fill(QString());
}

const QStringList& ClubNameReportFiles()
{
    static const QStringList files{"mvluetl2.rpt", "jrluetlo.rpt", "mvluetle.rpt", "mvluetlo.rpt",
                                   "pilista.rpt",  "jmllista.rpt", "jrlomins.rpt", "mvluetso.rpt"};
    return files;
}

void PrepareRaport(const QString& file, const QString& selection)
{
    ReportEngine& r = MainReport();
    ResetReportFormulas();
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = State().PrintCopies;
    r.ReportFileName = ReportFilePath(file);
    ApplySectionFonts(r, false);
    SetReportMargins(r, 0);
    if (ClubNameReportFiles().contains(file, Qt::CaseSensitive))
        r.setFormulas(0, FormulaText::named(QStringLiteral("Seurannimi"), State().ClubName));
    r.SelectionFormula = selection;
}

void InstallReportHooks()
{
    ProgramHooks::SetReportMargin = [](ReportMargin m, int twips) {
        ReportEngine& r = MainReport();
        const auto value = qint16(
            std::clamp(twips, int(std::numeric_limits<qint16>::min()), int(std::numeric_limits<qint16>::max())));
        switch (m) {
        case ReportMargin::Top: r.MarginTop = value; break;
        case ReportMargin::Bottom: r.MarginBottom = value; break;
        case ReportMargin::Left: r.MarginLeft = value; break;
        case ReportMargin::Right: r.MarginRight = value; break;
        }
    };
    ProgramHooks::ResetReportControl = [] {
        MainReport().WindowLeft = 0;
        MainReport().WindowTop = 0;
    };
    ProgramHooks::ResetReportFormulas = [] { ResetReportFormulas(); };
}

} // namespace tikkeli
