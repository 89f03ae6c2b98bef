#include "platform/MailServerLookup.h"

#include <QDir>
#include <QDnsLookup>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace tikkeli {

namespace {

// How long the settings window may wait for the name servers before giving up.
constexpr int DnsTimeoutMs = 5000;

class DnsMxResolver : public MailServerLookup::MxResolver {
public:
    QStringList mailExchangers(const QString& domain) override
    {
        QDnsLookup dns(QDnsLookup::MX, domain);
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&dns, &QDnsLookup::finished, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        dns.lookup();
        timer.start(DnsTimeoutMs);
        if (!dns.isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!dns.isFinished()) {
            dns.abort();
            return {};
        }
        if (dns.error() != QDnsLookup::NoError)
            return {};
        auto records = dns.mailExchangeRecords();
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return a.preference() < b.preference(); });
        QStringList hosts;
        for (const auto& r : records)
            hosts << r.exchange();
        return hosts;
    }
};

// The user_pref lines of a Mozilla prefs.js; only string values matter here.
QHash<QString, QString> readPrefs(const QString& fileName)
{
    QHash<QString, QString> prefs;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return prefs;
    static const QRegularExpression line(
        QString::fromLatin1(R"re(^\s*user_pref\(\s*"([^"]+)"\s*,\s*"((?:[^"\\]|\\.)*)"\s*\)\s*;)re"));
    while (!f.atEnd()) {
        const QString text = QString::fromUtf8(f.readLine());
        const auto m = line.match(text);
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\"")).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        prefs.insert(m.captured(1), value);
    }
    return prefs;
}

QStringList splitList(const QString& text)
{
    QStringList items;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty())
            items << part.trimmed();
    return items;
}

// The profile Thunderbird starts with: the install section's choice (newer versions), else the
// profile marked Default=1, else the first one listed.
QString defaultProfileFolder(const QString& clientFolder)
{
    const QString iniName = QDir(clientFolder).filePath(QStringLiteral("profiles.ini"));
    if (!QFileInfo::exists(iniName))
        return {};
    QSettings ini(iniName, QSettings::IniFormat);
    const QStringList groups = ini.childGroups();

    auto resolve = [&](const QString& path, bool relative) { return relative ? QDir(clientFolder).filePath(path) : path; };
    for (const QString& g : groups) {
        if (!g.startsWith(QLatin1String("Install")))
            continue;
        const QString path = ini.value(g + QStringLiteral("/Default")).toString();
        if (path.isEmpty())
            continue;
        // An install section does not say whether its path is relative; the profiles do.
        for (const QString& p : groups) {
            if (p.startsWith(QLatin1String("Profile")) && ini.value(p + QStringLiteral("/Path")).toString() == path)
                return resolve(path, ini.value(p + QStringLiteral("/IsRelative"), 1).toInt() != 0);
        }
        return resolve(path, !QDir::isAbsolutePath(path));
    }
    QString first;
    for (const QString& g : groups) {
        if (!g.startsWith(QLatin1String("Profile")))
            continue;
        const QString path = resolve(ini.value(g + QStringLiteral("/Path")).toString(),
                                     ini.value(g + QStringLiteral("/IsRelative"), 1).toInt() != 0);
        if (ini.value(g + QStringLiteral("/Default")).toInt() == 1)
            return path;
        if (first.isEmpty())
            first = path;
    }
    return first;
}

// "Seura <posti@seura.fi>" → "posti@seura.fi".
QString bareAddress(const QString& address)
{
    QString a = address.trimmed();
    const int open = a.lastIndexOf(QLatin1Char('<'));
    if (open >= 0) {
        const int close = a.indexOf(QLatin1Char('>'), open);
        a = a.mid(open + 1, close < 0 ? -1 : close - open - 1).trimmed();
    }
    return a;
}

QString smtpServerOf(const QHash<QString, QString>& prefs, const QString& sender)
{
    auto pref = [&](const QString& name) { return prefs.value(name); };
    auto hostOf = [&](const QString& key) {
        return key.isEmpty() ? QString() : pref(QStringLiteral("mail.smtpserver.%1.hostname").arg(key)).trimmed();
    };

    // The identity that sends as the club's address wins; otherwise the default account's first.
    QString identity;
    const QString wanted = MailServerLookup::domainOf(sender).isEmpty() ? QString() : bareAddress(sender);
    if (!wanted.isEmpty()) {
        for (auto it = prefs.constBegin(); it != prefs.constEnd(); ++it) {
            static const QRegularExpression key(QStringLiteral(R"(^mail\.identity\.([^.]+)\.useremail$)"));
            const auto m = key.match(it.key());
            if (m.hasMatch() && bareAddress(it.value()).compare(wanted, Qt::CaseInsensitive) == 0) {
                identity = m.captured(1);
                break;
            }
        }
    }
    if (identity.isEmpty()) {
        const QString account = pref(QStringLiteral("mail.accountmanager.defaultaccount"));
        const QStringList ids = splitList(pref(QStringLiteral("mail.account.%1.identities").arg(account)));
        if (!ids.isEmpty())
            identity = ids.first();
    }
    if (!identity.isEmpty()) {
        const QString host = hostOf(pref(QStringLiteral("mail.identity.%1.smtpServer").arg(identity)));
        if (!host.isEmpty())
            return host;
    }
    QString host = hostOf(pref(QStringLiteral("mail.smtp.defaultserver")));
    if (!host.isEmpty())
        return host;
    for (const QString& key : splitList(pref(QStringLiteral("mail.smtpservers")))) {
        host = hostOf(key);
        if (!host.isEmpty())
            return host;
    }
    return {};
}

} // namespace

MailServerLookup::MailServerLookup()
    : m_clientFolders(defaultMailClientFolders()), m_resolver(std::make_unique<DnsMxResolver>())
{
}

MailServerLookup::~MailServerLookup() = default;

void MailServerLookup::setResolver(std::unique_ptr<MxResolver> resolver)
{
    m_resolver = std::move(resolver);
}

QStringList MailServerLookup::defaultMailClientFolders()
{
    const QString home = QDir::homePath();
    return {home + QStringLiteral("/.thunderbird"), home + QStringLiteral("/.var/app/org.mozilla.Thunderbird/.thunderbird"),
            home + QStringLiteral("/snap/thunderbird/common/.thunderbird")};
}

QString MailServerLookup::domainOf(const QString& address)
{
    const QString a = bareAddress(address);
    const int at = a.lastIndexOf(QLatin1Char('@'));
    if (at < 0)
        return {};
    QString domain = a.mid(at + 1).trimmed();
    while (domain.endsWith(QLatin1Char('.')))
        domain.chop(1);
    static const QRegularExpression valid(QString::fromLatin1(R"(^[^\s@<>(),;:"\[\]\\/]+\.[^\s@<>(),;:"\[\]\\/.]+$)"));
    return valid.match(domain).hasMatch() ? domain : QString();
}

QString MailServerLookup::mailClientServer(const QString& senderAddress) const
{
    for (const QString& folder : m_clientFolders) {
        const QString profile = defaultProfileFolder(folder);
        if (profile.isEmpty())
            continue;
        const QString host = smtpServerOf(readPrefs(QDir(profile).filePath(QStringLiteral("prefs.js"))), senderAddress);
        if (!host.isEmpty())
            return host;
    }
    return {};
}

QString MailServerLookup::mailExchanger(const QString& senderAddress)
{
    const QString domain = domainOf(senderAddress);
    if (domain.isEmpty() || !m_resolver)
        return {};
    for (QString host : m_resolver->mailExchangers(domain)) {
        while (host.endsWith(QLatin1Char('.')))
            host.chop(1);
        // "." is the null MX of a domain that receives no mail.
        if (!host.isEmpty())
            return host;
    }
    return {};
}

QString MailServerLookup::lookup(const QString& senderAddress)
{
    const QString client = mailClientServer(senderAddress);
    return client.isEmpty() ? mailExchanger(senderAddress) : client;
}

} // namespace tikkeli
