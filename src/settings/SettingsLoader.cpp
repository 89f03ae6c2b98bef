#include "settings/SettingsLoader.h"

#include "base/Clock.h"
#include "base/ErrorHandling.h"
#include "base/Folders.h"
#include "base/FileSafety.h"
#include "base/NullConversions.h"
#include "base/NumericText.h"
#include "base/Prompter.h"
#include "base/ProgramHooks.h"
#include "db/ClubChanges.h"
#include "db/ReplacedFile.h"
#include "db/Transaction.h"
#include "settings/UpgradeQuestions.h"
#include "settings/DatabaseSettingsStore.h"
#include "settings/SettingsSaver.h"
#include "platform/IniSettingsStore.h"
#include "platform/SettingsError.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <variant>

namespace tikkeli {

namespace {

const QString kSection = QStringLiteral("TIKKELI");

// Page margins beyond this range cannot be pushed to the report control in twips (times 48 in 16
// bits); the load clamps them rather than stopping half-way.
constexpr int kMarginLimit = 682;

enum class Rule { Text, Counter, Date, PageMargin, Short, Flag, Amount, Rate };

using Target = std::variant<QString SharedState::*, qint32 SharedState::*, qint16 SharedState::*, bool SharedState::*,
                            Currency SharedState::*, double SharedState::*, QDateTime SharedState::*>;

struct KeyRule {
    const char* key;
    std::function<QString()> defaultValue;
    Rule rule;
    Target target;
    ReportMargin margin = ReportMargin::Top;
};

QString fixed(const char* text)
{
    return QString::fromUtf8(text);
}

const std::vector<KeyRule>& keyRules()
{
    using S = SharedState;
    auto text = [](const char* v) { return [v] { return fixed(v); }; };
    static const std::vector<KeyRule> rules = {
        {"EmailPohja", DefaultInvoiceTemplatePath, Rule::Text, &S::InvoiceTemplatePath},
        {"EmailKarhupohja", DefaultReminderTemplatePath, Rule::Text, &S::ReminderTemplatePath},
        {"ViiteHakemisto", ProgramFolder, Rule::Text, &S::RefPaymentFolder},
        {"Henkilo", text(""), Rule::Text, &S::ContactPerson},
        {"RegOsoite", text(""), Rule::Text, &S::ClubAddress},
        {"RegPostinumero", text(""), Rule::Text, &S::ClubPostalCode},
        {"RegPostitoimipaikka", text(""), Rule::Text, &S::ClubPostOffice},
        {"RegPuhelin", text(""), Rule::Text, &S::ClubPhone},
        {"RegFax", text(""), Rule::Text, &S::ClubFax},
        {"SeuranEmail", text(""), Rule::Text, &S::ClubEmail},
        {"WWW", text(""), Rule::Text, &S::ClubWebAddress},
        {"YTunnus", text(""), Rule::Text, &S::BusinessId},
        {"Email", text(""), Rule::Text, &S::SenderEmail},
        {"SMTP", text(""), Rule::Text, &S::SmtpServer},
        {"TukiEmail", text(""), Rule::Text, &S::SupportEmail},
        {"RegPankkiyhteys1", text(""), Rule::Text, &S::BankAccount1},
        {"RegPankkiyhteys2", text(""), Rule::Text, &S::BankAccount2},
        {"RegIBAN1", text(""), Rule::Text, &S::Iban1},
        {"RegIBAN2", text(""), Rule::Text, &S::Iban2},
        {"RegBIC1", text(""), Rule::Text, &S::Bic1},
        {"RegBIC2", text(""), Rule::Text, &S::Bic2},
        {"Laskunro", text("1"), Rule::Counter, &S::InvoiceNumberCounter},
        {"Jasennro", text("1"), Rule::Counter, &S::MemberNumberCounter},
        {"Sopimusnro", text("1"), Rule::Counter, &S::ContractNumberCounter},
        {"VarmuuskopioPv", text("30"), Rule::Counter, &S::BackupReminderDays},
        {"BackupDate", text(""), Rule::Date, &S::LastBackupDate},
        {"MargYla", text("0"), Rule::PageMargin, &S::MarginTop, ReportMargin::Top},
        {"MargAla", text("0"), Rule::PageMargin, &S::MarginBottom, ReportMargin::Bottom},
        {"MargVas", text("0"), Rule::PageMargin, &S::MarginLeft, ReportMargin::Left},
        {"MargOik", text("0"), Rule::PageMargin, &S::MarginRight, ReportMargin::Right},
        {"TarMargOik", text("0"), Rule::Short, &S::LabelMarginRight},
        {"TarMargVas", text("0"), Rule::Short, &S::LabelMarginLeft},
        {"TarMargYla", text("0"), Rule::Short, &S::LabelMarginTop},
        {"TarMargAla", text("0"), Rule::Short, &S::LabelMarginBottom},
        {"Fontti", text("Times New Roman"), Rule::Text, &S::ReportFontName},
        {"FonttiKoko", text("10"), Rule::Short, &S::ReportFontSize},
        {"LaajaTilatieto", text("0"), Rule::Flag, &S::ExtendedEstateInfo},
        {"AutoJasennumero", text("0"), Rule::Flag, &S::AutoMemberNumbers},
        {"AutoSopimusnumero", text("0"), Rule::Flag, &S::AutoContractNumbers},
        {"MuistutaVarm", text("0"), Rule::Flag, &S::RemindBackup},
        {"Muistutuskulut", text(""), Rule::Amount, &S::ReminderFee},
        {"Viivastyskorko", text(""), Rule::Rate, &S::LateInterestRate},
        {"MuistutusOtsake", text(""), Rule::Text, &S::ReminderTitle},
        {"MuistutusAlku", text(""), Rule::Text, &S::ReminderOpening},
        {"MuistutusLoppu", text(""), Rule::Text, &S::ReminderClosing},
    };
    return rules;
}

bool flagValue(const QString& text)
{
    if (text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    const auto v = ParseLocaleNumber(text);
    return v && *v != 0.0;
}

// Applies one key's load rule. A text that does not fit the rule gives the key's default (as a
// number) rather than stopping the load.
void applyRule(SharedState& s, const KeyRule& r, const QString& text,
               const std::function<void(const QString& value, const QString& key)>& writeBack, bool pushMargins)
{
    const QString defaultText = r.defaultValue();
    switch (r.rule) {
    case Rule::Text: s.*std::get<QString SharedState::*>(r.target) = text; break;
    case Rule::Counter:
        s.*std::get<qint32 SharedState::*>(r.target) = WholeNumberText32(text).value_or(
            WholeNumberText32(defaultText).value_or(0));
        break;
    case Rule::Date: {
        const auto d = ParseLocaleDate(text);
        if (d) {
            s.*std::get<QDateTime SharedState::*>(r.target) = *d;
        } else {
            const QDateTime now = Now();
            s.*std::get<QDateTime SharedState::*>(r.target) = now;
            // Losing the write-back only means the date is set again at the next start.
            IgnoringErrors("settings load: write a date back",
                           [&] { writeBack(DateTimeText(now), QString::fromLatin1(r.key)); });
        }
        break;
    }
    case Rule::PageMargin: {
        const auto v = ParseLocaleNumber(text);
        const double clamped = v ? std::clamp(*v, double(-kMarginLimit), double(kMarginLimit)) : 0.0;
        const qint16 margin = RoundToInt16(clamped).value_or(0);
        s.*std::get<qint16 SharedState::*>(r.target) = margin;
        if (pushMargins && ProgramHooks::SetReportMargin)
            ProgramHooks::SetReportMargin(r.margin, margin * 48);
        break;
    }
    case Rule::Short: {
        const auto v = ParseLocaleNumber(text);
        qint16 value = WholeNumberText16(defaultText).value_or(0);
        if (v)
            value = RoundToInt16(std::clamp(*v, -32768.0, 32767.0)).value_or(value);
        s.*std::get<qint16 SharedState::*>(r.target) = value;
        break;
    }
    case Rule::Flag: s.*std::get<bool SharedState::*>(r.target) = flagValue(text); break;
    case Rule::Amount:
        s.*std::get<Currency SharedState::*>(r.target) = ParseLocaleCurrency(text).value_or(Currency());
        break;
    case Rule::Rate: s.*std::get<double SharedState::*>(r.target) = ParseLocaleNumber(text).value_or(0.0); break;
    }
}

void loadFrom(const std::function<QString(const QString& key, const QString& defaultValue)>& read,
              const std::function<void(const QString& value, const QString& key)>& writeBack, SharedState& s = State(),
              bool pushMargins = true)
{
    for (const KeyRule& r : keyRules())
        applyRule(s, r, read(QString::fromLatin1(r.key), r.defaultValue()), writeBack, pushMargins);
}

void resetTemplatePath(const char* key, const QString& path)
{
    Database db = Database::open(State().DatabasePath);
    DatabaseSettingsStore store(db, kSection);
    // The path in use was not read from this file: the club's own template stays stored there.
    if (!SettingsMayGoInto(store, db.path(), State().SettingsFile))
        return;
    store.write(path, QString::fromLatin1(key));
    store.close();
    db.close();
}

} // namespace

const std::vector<SettingKeyInfo>& DatabaseSettingKeys()
{
    static const std::vector<SettingKeyInfo> keys = [] {
        std::vector<SettingKeyInfo> out;
        for (const KeyRule& r : keyRules())
            out.push_back({QString::fromLatin1(r.key), r.defaultValue()});
        return out;
    }();
    return keys;
}

IniSettingsStore ProgramIniStore()
{
    IniSettingsStore ini;
    ini.setFile(State().IniFileName);
    ini.setSection(kSection);
    return ini;
}

QString SampleDatabasePath()
{
    return JoinPath(UserDataFolder(), QStringLiteral("demo1.mdb"));
}

bool EnsureSampleDatabaseCopy()
{
    const QString copy = SampleDatabasePath();
    if (QFileInfo::exists(copy))
        return true;
    try {
        if (!QDir().mkpath(QFileInfo(copy).absolutePath()))
            return false;
        if (FileSafety::instance().copyFile(JoinPath(ProgramFolder(), QStringLiteral("demo1.mdb")), copy,
                                            FileSafety::Existing::Keep))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

QString DefaultBackupFolder()
{
    return JoinPath(UserDataFolder(), QStringLiteral("Varmuuskopiot/"));
}

void SaveDatabasePath(const QString& path)
{
    State().DatabasePath = path;
    IniSettingsStore ini = ProgramIniStore();
    ini.write(path, QStringLiteral("Database"));
}

bool ReadDatabasePaths()
{
    SharedState& s = State();
    IniSettingsStore ini = ProgramIniStore();
    // An ini file that cannot be written keeps the defaults for this run only; the backup folder
    // is still read, or it would stay empty for the whole run.
    s.DatabasePath = ini.read(QStringLiteral("Database"));
    if (s.DatabasePath.isEmpty()) {
        EnsureSampleDatabaseCopy();
        IgnoringErrors("settings load: save the sample path", [&] { SaveDatabasePath(SampleDatabasePath()); });
    }
    s.BackupFolder = ini.read(QStringLiteral("DatabaseBackup"));
    if (s.BackupFolder.isEmpty()) {
        s.BackupFolder = DefaultBackupFolder();
        QDir().mkpath(s.BackupFolder);
        IgnoringErrors("settings load: save the backup folder",
                       [&] { ini.write(s.BackupFolder, QStringLiteral("DatabaseBackup")); });
    }
    return true;
}

void LoadSettings(Database& db, bool withClubName)
{
    DatabaseSettingsStore store(db, kSection);
    const DatabaseSettingsStore::Section stored = store.readSection();
    loadFrom([&](const QString& key, const QString& def) { return stored.read(key, def); },
             [&](const QString& value, const QString& key) { store.write(value, key); });
    if (withClubName)
        State().ClubName = stored.read(QStringLiteral("RegName"));
    State().SettingsFile = db.path();
}

bool SettingsMayGoInto(DatabaseSettingsStore& store, const QString& file, const QString& readFrom)
{
    return (!readFrom.isEmpty() && readFrom == file) || store.read(QStringLiteral("AsKannassa")) != QLatin1String("1");
}

void FollowReplacedSettings()
{
    static const bool following = [] {
        // Told before any window that follows the file: a window reading the file again shows the
        // settings of that file.
        FollowReplacedFile(
            &ClubChanges::instance(), [] { return QFileInfo(State().DatabasePath).canonicalFilePath(); },
            [] {
                Database db = Database::open(State().DatabasePath);
                LoadSettings(db, true);
                const SharedState& s = State();
                if (const auto& caption = SettingsSaver::programServices().setMainCaption)
                    caption(s.ProgramTitle + QStringLiteral(" - ") + s.ClubName);
            });
        return true;
    }();
    Q_UNUSED(following);
}

std::optional<SharedState> StoredSettingsOf(const QString& path)
{
    try {
        Database db = Database::open(path);
        DatabaseSettingsStore store(db, kSection);
        std::optional<SharedState> result;
        if (store.read(QStringLiteral("AsKannassa")) == QLatin1String("1")) {
            SharedState s = State();
            // Only reads: a missing date is not written back and no margin reaches the report engine.
            loadFrom([&](const QString& key, const QString& def) { return store.read(key, def); },
                     [](const QString&, const QString&) {}, s, false);
            s.ClubName = store.read(QStringLiteral("RegName"));
            s.DatabasePath = path;
            s.SettingsFile = db.path();
            result = s;
        }
        store.close();
        db.close();
        return result;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void LoadLegacySettings()
{
    ReadDatabasePaths();
    IniSettingsStore ini = ProgramIniStore();
    loadFrom([&](const QString& key, const QString& def) { return ini.read(key, def); },
             [&](const QString& value, const QString& key) { ini.write(value, key); });
}

void MoveLegacySettings(Database& db)
{
    IniSettingsStore ini = ProgramIniStore();
    DatabaseSettingsStore store(db, kSection);
    QStringList keys;
    for (const SettingKeyInfo& k : DatabaseSettingKeys())
        keys << k.key;
    keys << QStringLiteral("RegName");
    Transaction t(db);
    for (const QString& key : keys) {
        const QString value = ini.read(key);
        if (!value.isEmpty() && store.read(key).isEmpty())
            store.write(value, key);
    }
    store.write(QStringLiteral("1"), QStringLiteral("AsKannassa"));
    t.commit();
}

bool EnsureSettingsInDatabase()
{
    Database db = Database::open(State().DatabasePath);
    DatabaseSettingsStore store(db, kSection);
    if (store.read(QStringLiteral("AsKannassa")) == QLatin1String("1")) {
        store.close();
        db.close();
        return false;
    }
    LoadLegacySettings();
    // The settings window saves the club name with everything else: start it from what the
    // database (or the old ini file) holds, so the save does not write an empty name over it.
    State().ClubName = store.read(QStringLiteral("RegName"), ProgramIniStore().read(QStringLiteral("RegName")));
    ShowInfo(QStringLiteral("Tietokannasta ei löydy asetuksia.\n\n"
                            "Jos käytössä on ollut aiempi versio Tikkelistä, tämä toimenpide suoritetaan vain "
                            "kerran eikä \ntämä ilmoitus toistu enää seuraavien käynnistyskertojen yhteydessä."));
    ShowInfo(QStringLiteral("Tarkista ja tallenna asetukset Asetukset ikkunoissa."));
    // A database of a version that kept no settings in it has no table for them yet: the upgrade
    // lays it down, or the settings would have nowhere to go and this would repeat at every start.
    if (!store.hasSettingsTable()) {
        IgnoringErrors("settings move: upgrade", [&] { UpdateDatabaseAsking(db); });
        store.setDatabase(db);
    }
    if (ProgramHooks::ShowMigrationSettingsDialog) {
        ProgramHooks::ShowMigrationSettingsDialog();
    } else {
        try {
            MoveLegacySettings(db);
        } catch (const std::exception& e) {
            ShowWarning(QStringLiteral("Asetusten siirto tietokantaan epäonnistui: %1").arg(QString::fromUtf8(e.what())));
        }
    }
    ShowInfo(QStringLiteral("Käynnistä Tikkeli nyt uudestaan."));
    store.close();
    db.close();
    return true;
}

void SaveBackupDate()
{
    IgnoringErrors("backup date: save", [&] {
        Database db = Database::open(State().DatabasePath);
        DatabaseSettingsStore store(db, kSection);
        store.write(DateTimeText(Now()), QStringLiteral("BackupDate"));
        store.close();
        db.close();
    });
}

QString DefaultInvoiceTemplatePath()
{
    return JoinPath(ProgramFolder(), QStringLiteral("lasku.txt"));
}

QString DefaultReminderTemplatePath()
{
    return JoinPath(ProgramFolder(), QStringLiteral("karhu.txt"));
}

void ResetInvoiceTemplatePath()
{
    resetTemplatePath("EmailPohja", DefaultInvoiceTemplatePath());
}

void ResetReminderTemplatePath()
{
    resetTemplatePath("EmailKarhupohja", DefaultReminderTemplatePath());
}

} // namespace tikkeli
