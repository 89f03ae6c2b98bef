#include "settings/SettingsSaver.h"

#include "settings/GuidedRepair.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ProgramHooks.h"
#include "settings/UpgradeQuestions.h"
#include "settings/DatabaseSettingsStore.h"
#include "settings/IniSettingsStore.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsError.h"
#include "base/SharedState.h"

#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

const QString Section = QStringLiteral("TIKKELI");
const QString CrLf = QStringLiteral("\r\n");
const QString NotSaved = QStringLiteral("Asetuksia ei tallennettu.");

constexpr qint64 MarginLimit = 682;   // times 48 must stay a 16-bit number in the report engine

struct TextField {
    const char* control;
    const char* key;
    const char* label;
    QString SharedState::*target;   // nullptr: the club name, which is taken over last
};

// The order in which the save writes them.
const TextField TextFields[] = {
    {"tHenkilonimi", "Henkilo", "Henkilönimi", &SharedState::ContactPerson},
    {"tNimi", "RegName", "Nimi", nullptr},
    {"tOsoite", "RegOsoite", "Osoite", &SharedState::ClubAddress},
    {"tPostinumero", "RegPostinumero", "Postinumero", &SharedState::ClubPostalCode},
    {"tPostitoimipaikka", "RegPostitoimipaikka", "Postitoimipaikka", &SharedState::ClubPostOffice},
    {"tPuhelin", "RegPuhelin", "Puhelin", &SharedState::ClubPhone},
    {"tFax", "RegFax", "Fax", &SharedState::ClubFax},
    {"tPankkiyhteys1", "RegPankkiyhteys1", "Pankkiyhteys1", &SharedState::BankAccount1},
    {"tPankkiyhteys2", "RegPankkiyhteys2", "Pankkiyhteys2", &SharedState::BankAccount2},
    {"tIBAN1", "RegIBAN1", "IBAN1", &SharedState::Iban1},
    {"tIBAN2", "RegIBAN2", "IBAN2", &SharedState::Iban2},
    {"tBIC1", "RegBIC1", "BIC1", &SharedState::Bic1},
    {"tBIC2", "RegBIC2", "BIC2", &SharedState::Bic2},
    {"tEmail", "Email", "Sähköpostiosoite", &SharedState::SenderEmail},
    {"tSeuranEmail", "SeuranEmail", "Email", &SharedState::ClubEmail},
    {"tWww", "WWW", "Internet", &SharedState::ClubWebAddress},
    {"tYtunnus", "YTunnus", "Y-tunnus", &SharedState::BusinessId},
    {"tSMTP", "SMTP", "SMTP palvelin", &SharedState::SmtpServer},
    {"tEmailLaskupohja", "EmailPohja", "Email laskupohja", &SharedState::InvoiceTemplatePath},
    {"tEmailKarhupohja", "EmailKarhupohja", "Email muistutuspohja", &SharedState::ReminderTemplatePath},
};

struct CounterField {
    const char* control;
    const char* key;
    qint64 minimum;
    qint32 SharedState::*target;
};

const CounterField CounterFields[] = {
    {"tLaskunumero", "Laskunro", 1, &SharedState::InvoiceNumberCounter},
    {"tJasennumero", "Jasennro", 1, &SharedState::MemberNumberCounter},
    {"tSopimusnumero", "Sopimusnro", 1, &SharedState::ContractNumberCounter},
    {"tVarmuuskopioPv", "VarmuuskopioPv", 0, &SharedState::BackupReminderDays},
};

struct MarginField {
    const char* control;
    const char* key;
    qint16 SharedState::*target;
};

const MarginField PageMargins[] = {
    {"tMargYla", "MargYla", &SharedState::MarginTop},
    {"tMargAla", "MargAla", &SharedState::MarginBottom},
    {"tMargVas", "MargVas", &SharedState::MarginLeft},
    {"tMargOik", "MargOik", &SharedState::MarginRight},
};

const MarginField LabelMargins[] = {
    {"tTarMargYla", "TarMargYla", &SharedState::LabelMarginTop},
    {"tTarMargAla", "TarMargAla", &SharedState::LabelMarginBottom},
    {"tTarMargVas", "TarMargVas", &SharedState::LabelMarginLeft},
    {"tTarMargOik", "TarMargOik", &SharedState::LabelMarginRight},
};

struct CheckField {
    const char* control;
    const char* key;
    bool SharedState::*target;
};

const CheckField CheckFields[] = {
    {"chkTilatieto", "LaajaTilatieto", &SharedState::ExtendedEstateInfo},
    {"chkJasennumero", "AutoJasennumero", &SharedState::AutoMemberNumbers},
    {"chkSopimusnumero", "AutoSopimusnumero", &SharedState::AutoContractNumbers},
    {"chkMuistutaVarmistuksesta", "MuistutaVarm", &SharedState::RemindBackup},
};

const TextField ReminderTexts[] = {
    {"tMuistutusAlkuteksti", "MuistutusAlku", "Alkuteksti", &SharedState::ReminderOpening},
    {"tMuistutusLopputeksti", "MuistutusLoppu", "Lopputeksti", &SharedState::ReminderClosing},
    {"tMuistutusOtsake", "MuistutusOtsake", "Otsake", &SharedState::ReminderTitle},
};

QString L(const char* s) { return QString::fromUtf8(s); }

// Two decimals as the window shows money, more only when the amount has them: what the load
// reads back must be the very amount the save put into shared state.
QString amountText(Currency amount)
{
    const QString shown = amount.toString();
    if (Currency::parse(shown) == amount)
        return shown;
    return amount.toStorageText().replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

SettingsSaver::Services& SettingsSaver::programServices()
{
    static Services services = [] {
        Services s;
        s.open = [](const QString& path) { return Database::open(path); };
        s.upgrade = [](Database& db) { UpdateDatabaseAsking(db); };
        s.repair = [](const QString& path) { return RunGuidedRepair(path); };
        // The same call point the settings load pushes its margins through.
        s.applyPageMargins = [] {
            if (!ProgramHooks::SetReportMargin)
                return;
            const SharedState& st = State();
            ProgramHooks::SetReportMargin(ReportMargin::Bottom, st.MarginBottom * 48);
            ProgramHooks::SetReportMargin(ReportMargin::Left, st.MarginLeft * 48);
            ProgramHooks::SetReportMargin(ReportMargin::Right, st.MarginRight * 48);
            ProgramHooks::SetReportMargin(ReportMargin::Top, st.MarginTop * 48);
        };
        s.setMainCaption = [](const QString&) {};
        return s;
    }();
    return services;
}

SettingsSaver::SettingsSaver(Services services) : m_services(std::move(services)) {}

bool SettingsSaver::stop(const QString& message, const QString& control)
{
    if (!message.isEmpty())
        ShowInfo(message);
    m_focus = control;
    return false;
}

bool SettingsSaver::writeIniPaths(SettingsForm& form)
{
    SharedState& state = State();
    try {
        IniSettingsStore ini;
        ini.setFile(state.IniFileName);
        ini.setSection(Section);
        const QString database = form.text(QStringLiteral("tTietokanta"));
        ini.write(database, QStringLiteral("Database"));
        state.DatabasePath = database;
        form.setText(QStringLiteral("tVarmistus"), SettingsCheck::withFolderSeparator(form.text(QStringLiteral("tVarmistus"))));
        const QString backup = form.text(QStringLiteral("tVarmistus"));
        ini.write(backup, QStringLiteral("DatabaseBackup"));
        state.BackupFolder = backup;
    } catch (const SettingsError& e) {
        ShowWarning(QStringLiteral("Asetustiedostoon ei voitu kirjoittaa.") + CrLf + CrLf + e.message() + CrLf + CrLf + NotSaved);
        return false;
    }
    return true;
}

bool SettingsSaver::openDatabase(Database& db)
{
    const QString path = State().DatabasePath;
    const QString notFound = QStringLiteral("Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi");
    if (path.trimmed().isEmpty())
        return stop(notFound, QStringLiteral("tTietokanta"));

    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            db = m_services.open(path);
            break;
        } catch (const DbException& e) {
            switch (e.number()) {
            case DbErr::FileNotFound:
            case DbErr::PathNotFound:
                return stop(notFound, QStringLiteral("tTietokanta"));
            case DbErr::InUseOrReadOnly:
                // A file held by another program or without write rights is healthy: never repair it.
                Prompter::instance().message(
                    QStringLiteral("Tietokantatiedosto: ") + path + QStringLiteral(" on jo käytössä,") + CrLf
                        + QStringLiteral("tai") + CrLf
                        + QStringLiteral("Tietokantahakemistoon tai tietokantatiedostoon ei ole kirjoitusoikeuksia.")
                        + CrLf + CrLf + NotSaved,
                    MsgIcon::Critical, MsgButtons::Ok);
                return stop({}, QStringLiteral("tTietokanta"));
            case DbErr::AccessDatabase:
            case DbErr::NotADatabase:
                ShowWarning(QStringLiteral("Tiedosto ") + path + QStringLiteral(" ei ole Tikkelin tietokanta.") + CrLf
                            + e.description() + CrLf + CrLf + NotSaved);
                return stop({}, QStringLiteral("tTietokanta"));
            default:
                if (attempt > 0) {
                    ShowWarning(QStringLiteral("Korjattua tietokantaa ei voitu avata: ") + e.description() + CrLf + CrLf + NotSaved);
                    return stop({}, QStringLiteral("tTietokanta"));
                }
                if (!m_services.repair(path))
                    return stop({}, QStringLiteral("tTietokanta"));
            }
        }
    }

    try {
        m_services.upgrade(db);
    } catch (const std::exception& e) {
        const QString why = dynamic_cast<const DbException*>(&e)
            ? static_cast<const DbException&>(e).description() : QString::fromLocal8Bit(e.what());
        ShowWarning(QStringLiteral("Tietokannan päivitys uuteen versioon ei onnistunut.") + CrLf + why + CrLf + CrLf + NotSaved);
        db.close();
        return stop({}, {});
    }
    return true;
}

bool SettingsSaver::write(DatabaseSettingsStore& store, const QString& key, const QString& value)
{
    try {
        store.write(value, key);
        return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Asetusta ") + key + QStringLiteral(" ei voitu tallentaa tietokantaan.") + CrLf
                    + e.description() + CrLf + CrLf + QStringLiteral("Tallennus keskeytyi."));
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Asetusta ") + key + QStringLiteral(" ei voitu tallentaa tietokantaan.") + CrLf
                    + QString::fromLocal8Bit(e.what()) + CrLf + CrLf + QStringLiteral("Tallennus keskeytyi."));
    }
    return false;
}

bool SettingsSaver::writeText(DatabaseSettingsStore& store, const SettingsForm& form, const QString& control,
                              const QString& key, const QString& label, QString* target)
{
    const QString value = form.text(control);
    if (value.size() > MaxValueLength)
        return stop(QStringLiteral("Kentän \"%1\" teksti on liian pitkä: %2 merkkiä, enintään %3 merkkiä mahtuu tallennettavaksi.")
                        .arg(label).arg(value.size()).arg(MaxValueLength),
                    control);
    if (!write(store, key, value))
        return stop({}, control);
    if (target)
        *target = value;
    return true;
}

bool SettingsSaver::save(SettingsForm& form)
{
    m_focus.clear();
    SharedState& state = State();

    if (!writeIniPaths(form))
        return stop({}, QStringLiteral("tTietokanta"));

    Database db;
    if (!openDatabase(db))
        return false;

    struct Closer {
        Database& db;
        DatabaseSettingsStore& store;
        ~Closer() { store.close(); db.close(); }
    };
    DatabaseSettingsStore store(db, Section);
    Closer closer{db, store};

    if (!write(store, QStringLiteral("AsKannassa"), QStringLiteral("1")))
        return stop({});

    for (const TextField& f : TextFields) {
        if (!writeText(store, form, L(f.control), L(f.key), L(f.label), f.target ? &(state.*f.target) : nullptr))
            return false;
    }

    form.setText(QStringLiteral("tVarmistus"), SettingsCheck::withFolderSeparator(form.text(QStringLiteral("tVarmistus"))));
    if (!writeText(store, form, QStringLiteral("tVarmistus"), QStringLiteral("DatabaseBackup"),
                   QStringLiteral("Varmistushakemisto"), &state.BackupFolder))
        return false;

    for (const CounterField& f : CounterFields) {
        const QString control = L(f.control);
        const auto v = SettingsCheck::number(form.text(control));
        // Fractions, zero and negative numbers would give invalid invoice, member and contract numbers.
        if (!v || *v != std::floor(*v) || *v < double(f.minimum) || *v > double(std::numeric_limits<qint32>::max()))
            return stop(SettingsCheck::typingMessage(control)
                            + (v ? CrLf + (f.minimum > 0 ? QStringLiteral("Numeron on oltava kokonaisluku, vähintään 1.")
                                                         : QStringLiteral("Päivien määrän on oltava kokonaisluku, vähintään 0."))
                                 : QString()),
                        control);
        const qint32 n = qint32(*v);
        if (!write(store, L(f.key), QString::number(n)))
            return stop({}, control);
        state.*f.target = n;
    }

    auto saveMargin = [&](const MarginField& f) {
        const QString control = L(f.control);
        const auto n = SettingsCheck::wholeNumber(form.text(control), -MarginLimit, MarginLimit);
        if (!n)
            return stop(QStringLiteral("Syötä marginaaliksi ainoastaan numeroita.")
                            + (SettingsCheck::isNumeric(form.text(control))
                                   ? CrLf + QStringLiteral("Marginaalin on oltava välillä -%1...%1.").arg(MarginLimit)
                                   : QString()),
                        control);
        if (!write(store, L(f.key), QString::number(*n)))
            return stop({}, control);
        state.*f.target = qint16(*n);
        return true;
    };
    for (const MarginField& f : PageMargins) {
        if (!saveMargin(f))
            return false;
        m_services.applyPageMargins();
    }
    for (const MarginField& f : LabelMargins) {
        if (!saveMargin(f))
            return false;
    }

    if (!writeText(store, form, QStringLiteral("cmbFonts"), QStringLiteral("Fontti"), QStringLiteral("Fontti"),
                   &state.ReportFontName))
        return false;
    const qint16 fontSize = qint16(SettingsCheck::wholeNumber(form.text(QStringLiteral("cmbFonttiKoko")), 1,
                                                              std::numeric_limits<qint16>::max()).value_or(10));
    if (!write(store, QStringLiteral("FonttiKoko"), QString::number(fontSize)))
        return stop({}, QStringLiteral("cmbFonttiKoko"));
    state.ReportFontSize = fontSize;

    for (const CheckField& f : CheckFields) {
        const bool on = form.checked(L(f.control));
        if (!write(store, L(f.key), on ? QStringLiteral("1") : QStringLiteral("0")))
            return stop({}, L(f.control));
        state.*f.target = on;
    }

    const auto fee = ParseLocaleCurrency(form.text(QStringLiteral("tMuistutuskulut")));
    if (!fee)
        return stop(QStringLiteral("Syötä muistutuskuluksi ainoastaan numeroita."), QStringLiteral("tMuistutuskulut"));
    if (!write(store, QStringLiteral("Muistutuskulut"), amountText(*fee)))
        return stop({}, QStringLiteral("tMuistutuskulut"));
    state.ReminderFee = *fee;

    const auto interest = SettingsCheck::number(form.text(QStringLiteral("tViivastysKorko")));
    if (!interest)
        return stop(QStringLiteral("Syötä viivästyskoroksi ainoastaan numeroita."), QStringLiteral("tViivastysKorko"));
    if (!write(store, QStringLiteral("Viivastyskorko"), SettingsCheck::numberText(*interest)))
        return stop({}, QStringLiteral("tViivastysKorko"));
    state.LateInterestRate = *interest;

    for (const TextField& f : ReminderTexts) {
        if (!writeText(store, form, L(f.control), L(f.key), L(f.label), &(state.*f.target)))
            return false;
    }

    store.close();
    db.close();
    state.ClubName = form.text(QStringLiteral("tNimi"));
    m_services.setMainCaption(state.ProgramTitle + QStringLiteral(" - ") + state.ClubName);
    return true;
}

} // namespace tikkeli
