#include "settings/SettingsFixture.h"

#include "db/Recordset.h"

#include <QDir>
#include <QFile>

namespace tikkeli::test {

void SettingsFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    m_oldIni = qgetenv("TIKKELI_INI");
    qputenv("TIKKELI_INI", dir.filePath(QStringLiteral("Tikkeli.ini")).toUtf8());
    dbPath = makeDatabase(QStringLiteral("seura.mdb"));
    // The backup folders the tests name exist, so a save asks nothing about them.
    QDir(dir.path()).mkpath(QStringLiteral("varmistus"));
    QDir(dir.path()).mkpath(QStringLiteral("v"));
    fillState(dbPath, dir.filePath(QStringLiteral("varmistus/")));

    services.open = [](const QString& path) { return Database::open(path); };
    services.upgrade = [this](Database& db) { upgraded << db.path(); };
    services.repair = [this](const QString& path) {
        repaired << path;
        return repairSucceeds;
    };
    services.applyPageMargins = [this] { ++marginPushes; };
    services.setMainCaption = [this](const QString& caption) { captions << caption; };
    // The window builds its saver from the program's services.
    programDefaults = SettingsSaver::programServices();
    SettingsSaver::programServices() = services;
}

void SettingsFixture::TearDown()
{
    SettingsSaver::programServices() = programDefaults;
    State() = SharedState{};
    if (m_oldIni.isNull())
        qunsetenv("TIKKELI_INI");
    else
        qputenv("TIKKELI_INI", m_oldIni);
}

void SettingsFixture::startOver()
{
    QFile::remove(dbPath);
    makeDatabase(QStringLiteral("seura.mdb"));
    fillState(dbPath, dir.filePath(QStringLiteral("v/")));
    prompter.clear();
}

QString SettingsFixture::makeDatabase(const QString& name)
{
    const QString path = dir.filePath(name);
    Database db = Database::create(path);
    db.executeScript(
        QStringLiteral("CREATE TABLE Settings (setID INTEGER PRIMARY KEY AUTOINCREMENT, setSection VARCHAR(255), "
                       "setKey VARCHAR(255), setString VARCHAR(255));"));
    db.close();
    return path;
}

std::optional<QString> SettingsFixture::stored(const QString& key, const QString& path)
{
    Database db = Database::open(path.isEmpty() ? dbPath : path);
    const Value count = db.scalar(
        QStringLiteral("SELECT COUNT(*) FROM Settings WHERE setSection = 'TIKKELI' AND setKey = ?"), {key});
    std::optional<QString> result;
    if (count.toInt64() > 0) {
        DatabaseSettingsStore store(db);
        result = store.read(key);
    }
    db.close();
    return result;
}

QStringList SettingsFixture::settingsRows(const QString& path)
{
    Database db = Database::open(path.isEmpty() ? dbPath : path);
    QStringList rows;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT setSection, setKey, setString FROM Settings ORDER BY setID"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        rows << rs.field(0).toString() + QLatin1Char('/') + rs.field(1).toString() + QLatin1Char('=')
                    + rs.field(2).toString();
    rs.close();
    db.close();
    return rows;
}

QString SettingsFixture::iniValue(const QString& key)
{
    IniSettingsStore ini;
    ini.setFile(State().IniFileName);
    ini.setSection(QStringLiteral("TIKKELI"));
    return ini.read(key);
}

void SettingsFixture::fillState(const QString& databasePath, const QString& backupFolder)
{
    SharedState& s = State();
    s = SharedState{};
    s.DatabasePath = databasePath;
    s.BackupFolder = backupFolder;
    s.ClubName = QStringLiteral("Erä-Veikot ry");
    s.ContactPerson = QStringLiteral("Matti Meikäläinen");
    s.ClubAddress = QStringLiteral("Metsätie 1");
    s.ClubPostalCode = QStringLiteral("12345");
    s.ClubPostOffice = QStringLiteral("Korpela");
    s.ClubPhone = QStringLiteral("040 123 4567");
    s.ClubFax = QStringLiteral("09 765 4321");
    s.ClubEmail = QStringLiteral("seura@example.fi");
    s.ClubWebAddress = QStringLiteral("www.example.fi");
    s.BusinessId = QStringLiteral("1234567-8");
    s.BankAccount1 = QStringLiteral("Osuuspankki");
    s.BankAccount2 = QStringLiteral("Nordea");
    s.Iban1 = QStringLiteral("FI21 1234 5600 0007 85");
    s.Iban2 = QStringLiteral("FI94 4006 1234 5678 90");
    s.Bic1 = QStringLiteral("OKOYFIHH");
    s.Bic2 = QStringLiteral("NDEAFIHH");
    s.SenderEmail = QStringLiteral("sihteeri@example.fi");
    s.SmtpServer = QStringLiteral("smtp.example.fi");
    s.InvoiceTemplatePath = QStringLiteral("/opt/tikkeli/lasku.txt");
    s.ReminderTemplatePath = QStringLiteral("/opt/tikkeli/karhu.txt");
    s.InvoiceNumberCounter = 1001;
    s.MemberNumberCounter = 57;
    s.ContractNumberCounter = 12;
    s.BackupReminderDays = 14;
    s.MarginTop = 10;
    s.MarginBottom = -5;
    s.MarginLeft = 20;
    s.MarginRight = 0;
    s.LabelMarginTop = 1;
    s.LabelMarginBottom = 2;
    s.LabelMarginLeft = 3;
    s.LabelMarginRight = 4;
    s.ReportFontName = QStringLiteral("Liberation Serif");
    s.ReportFontSize = 12;
    s.ExtendedEstateInfo = true;
    s.AutoMemberNumbers = false;
    s.AutoContractNumbers = true;
    s.RemindBackup = true;
    s.ReminderFee = Currency::fromRaw(52500);
    s.LateInterestRate = 7.5;
    s.ReminderTitle = QStringLiteral("MAKSUMUISTUTUS");
    s.ReminderOpening = QStringLiteral("Kirjanpitomme mukaan seuraava lasku on maksamatta.");
    s.ReminderClosing = QStringLiteral("Jos olet jo maksanut, tämä muistutus on aiheeton.");
}

} // namespace tikkeli::test
