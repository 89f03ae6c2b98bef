#include "settings/SettingsSaver.h"

#include "base/ErrorHandling.h"
#include "settings/GuidedRepair.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ProgramHooks.h"
#include "base/ReferenceNumber.h"
#include "db/Transaction.h"
#include "base/NumericText.h"
#include "settings/UpgradeQuestions.h"
#include "settings/DatabaseSettingsStore.h"
#include "platform/IniSettingsStore.h"
#include "platform/MailHeaders.h"
#include "platform/SmtpSession.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsLoader.h"
#include "platform/SettingsError.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

namespace tikkeli {

namespace {

const QString Section = QStringLiteral("TIKKELI");
const QString CrLf = QStringLiteral("\r\n");
const QString NotSaved = QStringLiteral("Asetuksia ei tallennettu.");

constexpr qint64 MarginLimit = 682; // times 48 must stay a 16-bit number in the report engine

struct TextField {
    const char* control;
    const char* key;
    const char* label;
    QString SharedState::*target; // nullptr: the club name, which is taken over last
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
    {"tTukiEmail", "TukiEmail", "Tuen sähköpostiosoite", &SharedState::SupportEmail},
    {"tEmailLaskupohja", "EmailPohja", "Email laskupohja", &SharedState::InvoiceTemplatePath},
    {"tEmailKarhupohja", "EmailKarhupohja", "Email muistutuspohja", &SharedState::ReminderTemplatePath},
};

struct CounterField {
    const char* control;
    const char* key;
    qint64 minimum;
    qint32 SharedState::*target;
    const char* label; // nullptr: a plain number, not a counter other windows move
};

const CounterField CounterFields[] = {
    {"tLaskunumero", "Laskunro", 1, &SharedState::InvoiceNumberCounter, "Laskunumero"},
    {"tJasennumero", "Jasennro", 1, &SharedState::MemberNumberCounter, "Jäsennumero"},
    {"tSopimusnumero", "Sopimusnro", 1, &SharedState::ContractNumberCounter, "Sopimusnumero"},
    {"tVarmuuskopioPv", "VarmuuskopioPv", 0, &SharedState::BackupReminderDays, nullptr},
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

QString L(const char* s)
{
    return QString::fromUtf8(s);
}

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

bool SettingsSaver::checkPaths(SettingsForm& form)
{
    if (form.text(QStringLiteral("tTietokanta")).trimmed().isEmpty())
        return stop(QStringLiteral("Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi"),
                    QStringLiteral("tTietokanta"));

    const QString backup = SettingsCheck::withFolderSeparator(form.text(QStringLiteral("tVarmistus")));
    form.setText(QStringLiteral("tVarmistus"), backup);
    if (backup.trimmed().isEmpty() || QFileInfo(backup).isDir())
        return true;
    // A folder that is missing now may be on a stick that is not in; the user decides.
    if (!AskYesNo(QStringLiteral("Varmistushakemistoa %1 ei ole olemassa.").arg(QDir::toNativeSeparators(backup)) + CrLf
                  + CrLf + QStringLiteral("Luodaanko hakemisto nyt?")))
        return true;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(backup).toStdString()), error);
    if (error || !QFileInfo(backup).isDir()) {
        const QString why = error ? QString::fromLocal8Bit(error.message().c_str())
                                  : QStringLiteral("polun osa on tiedosto");
        return stop(QStringLiteral("Varmistushakemistoa %1 ei voitu luoda: %2").arg(QDir::toNativeSeparators(backup), why)
                        + CrLf + CrLf + NotSaved,
                    QStringLiteral("tVarmistus"));
    }
    return true;
}

bool SettingsSaver::readFields(const SettingsForm& form, std::vector<Entry>& entries)
{
    auto add = [&](const QString& key, const QString& control, const QString& text,
                   std::function<void(SharedState&)> apply) -> Entry& {
        entries.push_back(Entry{key, control, text, std::move(apply), std::nullopt, nullptr, false, QString()});
        return entries.back();
    };
    auto text = [&](const TextField& f) {
        const QString control = L(f.control);
        const QString value = form.text(control);
        if (value.size() > MaxValueLength)
            return stop(QStringLiteral(
                            "Kentän \"%1\" teksti on liian pitkä: %2 merkkiä, enintään %3 merkkiä mahtuu tallennettavaksi.")
                            .arg(L(f.label))
                            .arg(value.size())
                            .arg(MaxValueLength),
                        control);
        const auto target = f.target;
        add(L(f.key), control, value, [target, value](SharedState& s) {
            if (target)
                s.*target = value;
            else
                s.ClubName = value;
        });
        return true;
    };

    add(QStringLiteral("AsKannassa"), QString(), QStringLiteral("1"), {});
    for (const TextField& f : TextFields) {
        if (!text(f))
            return false;
    }
    // Invoices and reminders carry the account: one whose check fails would only be refused
    // later by the print, or worse, reach a payer whose bank refuses it.
    for (const char* control : {"tIBAN1", "tIBAN2"}) {
        const QString iban = form.text(L(control)).trimmed();
        if (!iban.isEmpty() && !ReferenceNumber::ibanHolds(iban))
            return stop(QStringLiteral("Tilinumero (%1) \"%2\" on virheellinen: sen tarkiste ei täsmää.")
                                .arg(L(control).mid(1), iban)
                            + CrLf + QStringLiteral("Korjaa tilinumero ja tallenna uudelleen."),
                        L(control));
    }
    // The e-mail runs send with these: an address or a server that cannot be used would only
    // fail every message of the next run.
    for (const TextField& f : TextFields) {
        const QString control = L(f.control);
        const QString typed = form.text(control).trimmed();
        if (typed.isEmpty())
            continue;
        if ((control == u"tEmail" || control == u"tTukiEmail") && !MailHeaders::smtpAddress(typed))
            return stop(QStringLiteral("Kentän \"%1\" sähköpostiosoite \"%2\" ei kelpaa.").arg(L(f.label), typed) + CrLf
                            + QStringLiteral("Korjaa osoite ja tallenna uudelleen."),
                        control);
        if (control == u"tSMTP" && !SmtpSession::serverUrl(typed))
            return stop(QStringLiteral("SMTP-palvelimen nimi \"%1\" ei kelpaa.").arg(typed) + CrLf
                            + QStringLiteral("Anna palvelimen nimi ja tarvittaessa portti kaksoispisteen jälkeen,"
                                             " esimerkiksi smtp.example.fi:587."),
                        control);
    }
    const TextField backup{"tVarmistus", "DatabaseBackup", "Varmistushakemisto", &SharedState::BackupFolder};
    if (!text(backup))
        return false;

    for (const CounterField& f : CounterFields) {
        const QString control = L(f.control);
        const auto v = SettingsCheck::number(form.text(control));
        // Fractions, zero and negative numbers would give invalid invoice, member and contract numbers.
        if (!v || *v != std::floor(*v) || *v < double(f.minimum) || *v > double(std::numeric_limits<qint32>::max()))
            return stop(
                SettingsCheck::typingMessage(control)
                    + (v ? CrLf
                               + (f.minimum > 0 ? QStringLiteral("Numeron on oltava kokonaisluku, vähintään 1.")
                                                : QStringLiteral("Päivien määrän on oltava kokonaisluku, vähintään 0."))
                         : QString()),
                control);
        const qint32 n = qint32(*v);
        const auto target = f.target;
        Entry& e = add(L(f.key), control, QString::number(n), [target, n](SharedState& s) { s.*target = n; });
        if (f.label) {
            e.apply = {};
            e.counter = n;
            e.counterTarget = target;
            e.counterLabel = L(f.label);
            e.counterEdited = !m_loaded || m_loaded->text(control) != form.text(control);
        }
    }

    auto margin = [&](const MarginField& f) {
        const QString control = L(f.control);
        const auto n = SettingsCheck::wholeNumber(form.text(control), -MarginLimit, MarginLimit);
        if (!n)
            return stop(QStringLiteral("Syötä marginaaliksi ainoastaan numeroita.")
                            + (SettingsCheck::isNumeric(form.text(control))
                                   ? CrLf + QStringLiteral("Marginaalin on oltava välillä -%1...%1.").arg(MarginLimit)
                                   : QString()),
                        control);
        const auto target = f.target;
        const qint16 value = qint16(*n);
        add(L(f.key), control, QString::number(value), [target, value](SharedState& s) { s.*target = value; });
        return true;
    };
    for (const MarginField& f : PageMargins) {
        if (!margin(f))
            return false;
    }
    for (const MarginField& f : LabelMargins) {
        if (!margin(f))
            return false;
    }

    if (!text(TextField{"cmbFonts", "Fontti", "Fontti", &SharedState::ReportFontName}))
        return false;
    const qint16 fontSize = qint16(
        SettingsCheck::wholeNumber(form.text(QStringLiteral("cmbFonttiKoko")), 1, std::numeric_limits<qint16>::max())
            .value_or(10));
    add(QStringLiteral("FonttiKoko"), QStringLiteral("cmbFonttiKoko"), QString::number(fontSize),
        [fontSize](SharedState& s) { s.ReportFontSize = fontSize; });

    for (const CheckField& f : CheckFields) {
        const bool on = form.checked(L(f.control));
        const auto target = f.target;
        add(L(f.key), L(f.control), on ? QStringLiteral("1") : QStringLiteral("0"),
            [target, on](SharedState& s) { s.*target = on; });
    }

    const auto fee = ParseLocaleCurrency(form.text(QStringLiteral("tMuistutuskulut")));
    if (!fee)
        return stop(QStringLiteral("Syötä muistutuskuluksi ainoastaan numeroita."), QStringLiteral("tMuistutuskulut"));
    add(QStringLiteral("Muistutuskulut"), QStringLiteral("tMuistutuskulut"), amountText(*fee),
        [fee = *fee](SharedState& s) { s.ReminderFee = fee; });

    const auto interest = SettingsCheck::number(form.text(QStringLiteral("tViivastysKorko")));
    if (!interest)
        return stop(QStringLiteral("Syötä viivästyskoroksi ainoastaan numeroita."), QStringLiteral("tViivastysKorko"));
    add(QStringLiteral("Viivastyskorko"), QStringLiteral("tViivastysKorko"), SettingsCheck::numberText(*interest),
        [rate = *interest](SharedState& s) { s.LateInterestRate = rate; });

    for (const TextField& f : ReminderTexts) {
        if (!text(f))
            return false;
    }
    return true;
}

bool SettingsSaver::openDatabase(const QString& path, Database& db)
{
    const QString notFound = QStringLiteral("Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi");
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            db = m_services.open(path);
            break;
        } catch (const DbException& e) {
            switch (e.number()) {
            case DbErr::FileNotFound:
            case DbErr::PathNotFound: return stop(notFound, QStringLiteral("tTietokanta"));
            case DbErr::InUseOrReadOnly:
                // A file held by another program or without write rights is healthy: never repair it.
                Prompter::instance().message(
                    QStringLiteral("Tietokantatiedosto: ") + path + QStringLiteral(" on jo käytössä,") + CrLf
                        + QStringLiteral("tai") + CrLf
                        + QStringLiteral("Tietokantahakemistoon tai tietokantatiedostoon ei ole kirjoitusoikeuksia.") + CrLf
                        + CrLf + NotSaved,
                    MsgIcon::Critical, MsgButtons::Ok);
                return stop({}, QStringLiteral("tTietokanta"));
            case DbErr::AccessDatabase:
            case DbErr::NotADatabase:
                ShowWarning(QStringLiteral("Tiedosto ") + path + QStringLiteral(" ei ole Tikkelin tietokanta.") + CrLf
                            + e.description() + CrLf + CrLf + NotSaved);
                return stop({}, QStringLiteral("tTietokanta"));
            default:
                if (attempt > 0) {
                    ShowWarning(QStringLiteral("Korjattua tietokantaa ei voitu avata: ") + e.description() + CrLf + CrLf
                                + NotSaved);
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
        const QString why = dynamic_cast<const DbException*>(&e) ? static_cast<const DbException&>(e).description()
                                                                 : QString::fromLocal8Bit(e.what());
        ShowWarning(QStringLiteral("Tietokannan päivitys uuteen versioon ei onnistunut.") + CrLf + why + CrLf + CrLf
                    + NotSaved);
        db.close();
        return stop({}, {});
    }
    return true;
}

bool SettingsSaver::writesOverWhatWasRead(const Database& db, DatabaseSettingsStore& store)
{
    try {
        if (SettingsMayGoInto(store, db.path(), m_settingsFile.value_or(State().SettingsFile)))
            return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Tietokannan asetuksia ei voitu lukea: ") + e.description() + CrLf + CrLf + NotSaved);
        return stop({}, QStringLiteral("tTietokanta"));
    }
    // What the window shows are defaults (the start could not read the file) or another file's
    // settings: stored, they would replace the club's name, accounts, fees and texts.
    return stop(QStringLiteral("Tietokannan %1 omia asetuksia ei ole luettu asetusikkunaan, joten ikkunan tiedot "
                               "korvaisivat ne.")
                        .arg(QDir::toNativeSeparators(db.path()))
                    + CrLf + CrLf
                    + QStringLiteral("Valitse tietokanta \"...\"-painikkeella, niin sen asetukset luetaan ikkunaan, "
                                     "tai käynnistä Tikkeli uudelleen.")
                    + CrLf + CrLf + NotSaved,
                QStringLiteral("tTietokanta"));
}

bool SettingsSaver::settleCounters(DatabaseSettingsStore& store, std::vector<Entry>& entries)
{
    for (Entry& e : entries) {
        if (!e.counter)
            continue;
        std::optional<qint32> stored;
        IgnoringErrors("settings save: read a stored counter", [&] { stored = WholeNumberText32(store.read(e.key)); });
        if (!e.counterEdited && stored) {
            // The box still shows what the window loaded: the database's number stands, however
            // far another window has moved it since.
            e.text.clear();
            e.counter = *stored;
            continue;
        }
        if (stored && *e.counter < *stored
            && !AskYesNo(
                QStringLiteral("Seuraava %1 on tietokannassa nyt %2. Haluatko varmasti muuttaa sen pienemmäksi (%3)?")
                    .arg(e.counterLabel.toLower())
                    .arg(*stored)
                    .arg(*e.counter)
                + CrLf + CrLf + QStringLiteral("Pienempi numero voi antaa saman numeron uudelleen.")))
            return stop({}, e.control);
    }
    return true;
}

bool SettingsSaver::writeDatabase(Database& db, DatabaseSettingsStore& store, const std::vector<Entry>& entries)
{
    const Entry* current = nullptr;
    auto failed = [&](const QString& why) {
        const QString key = current ? current->key : QString();
        ShowWarning(QStringLiteral("Asetusta ") + key + QStringLiteral(" ei voitu tallentaa tietokantaan.") + CrLf + why
                    + CrLf + CrLf + QStringLiteral("Tallennus keskeytyi; tietokannan asetukset ovat ennallaan."));
        return stop({}, current ? current->control : QString());
    };
    try {
        // All keys or none: a stop half-way must not leave one club's name beside another's numbers.
        Transaction transaction(db);
        for (const Entry& e : entries) {
            current = &e;
            if (e.counter && e.text.isEmpty())
                continue;
            store.write(e.text, e.key);
        }
        current = nullptr;
        transaction.commit();
    } catch (const DbException& e) {
        return failed(e.description());
    } catch (const std::exception& e) {
        return failed(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

bool SettingsSaver::writeIniPaths(const SettingsForm& form)
{
    try {
        IniSettingsStore ini;
        ini.setFile(State().IniFileName);
        ini.setSection(Section);
        ini.write(form.text(QStringLiteral("tVarmistus")), QStringLiteral("DatabaseBackup"));
        ini.write(form.text(QStringLiteral("tTietokanta")), QStringLiteral("Database"));
    } catch (const SettingsError& e) {
        ShowWarning(QStringLiteral("Asetustiedostoon ei voitu kirjoittaa.") + CrLf + CrLf + e.message() + CrLf + CrLf
                    + QStringLiteral("Asetukset tallentuivat tietokantaan, mutta tietokannan ja varmistushakemiston "
                                     "polut eivät tallentuneet."));
        return stop({}, QStringLiteral("tTietokanta"));
    }
    return true;
}

void SettingsSaver::applyToState(const SettingsForm& form, const std::vector<Entry>& entries, const QString& savedInto)
{
    SharedState& state = State();
    state.DatabasePath = form.text(QStringLiteral("tTietokanta"));
    state.SettingsFile = savedInto;
    for (const Entry& e : entries) {
        if (e.apply)
            e.apply(state);
        if (e.counterTarget)
            state.*e.counterTarget = *e.counter;
    }
    m_services.applyPageMargins();
    m_services.setMainCaption(state.ProgramTitle + QStringLiteral(" - ") + state.ClubName);
}

bool SettingsSaver::save(SettingsForm& form)
{
    m_focus.clear();
    if (!checkPaths(form))
        return false;
    std::vector<Entry> entries;
    if (!readFields(form, entries))
        return false;

    // The chosen file is opened before anything is stored: a file that cannot be used leaves the
    // ini file and shared state naming the database that works.
    Database db;
    if (!openDatabase(form.text(QStringLiteral("tTietokanta")), db))
        return false;
    struct Closer {
        Database& db;
        DatabaseSettingsStore& store;
        ~Closer()
        {
            store.close();
            db.close();
        }
    };
    DatabaseSettingsStore store(db, Section);
    Closer closer{db, store};

    if (!writesOverWhatWasRead(db, store) || !settleCounters(store, entries) || !writeDatabase(db, store, entries))
        return false;
    const QString savedInto = db.path();
    store.close();
    db.close();

    if (!writeIniPaths(form))
        return false;
    applyToState(form, entries, savedInto);
    for (const Entry& e : entries) {
        if (e.counter)
            form.setText(e.control, QString::number(*e.counter));
    }
    return true;
}

} // namespace tikkeli
