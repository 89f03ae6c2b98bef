#include "platform/IniSettingsStore.h"

#include "platform/SettingsError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "base/FileSafety.h"
#include <QStandardPaths>
#include <QStringDecoder>

namespace tikkeli {

const QString IniSettingsStore::TempTag = QStringLiteral("asetukset");

namespace {

struct Located {
    int sectionLine = -1; // the [section] line, -1 when missing
    int keyLine = -1;     // the key's line inside it, -1 when missing
    int lastLine = -1;    // the last non-blank line of the section
};

bool isSectionLine(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.indexOf(QLatin1Char(']')) > 0;
}

QString sectionName(const QString& trimmed)
{
    return trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1).trimmed();
}

// The key of a key=value line, or a null string for anything else (comments, blanks).
QString keyOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
        return {};
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return {};
    return line.left(eq).trimmed();
}

Located locate(const QStringList& lines, const QString& section, const QString& key)
{
    Located at;
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        if (isSectionLine(trimmed)) {
            if (inside)
                break;
            inside = sectionName(trimmed).compare(section, Qt::CaseInsensitive) == 0;
            if (inside)
                at.sectionLine = at.lastLine = i;
            continue;
        }
        if (!inside)
            continue;
        if (!trimmed.isEmpty())
            at.lastLine = i;
        if (at.keyLine < 0 && !key.isEmpty() && keyOf(lines[i]).compare(key, Qt::CaseInsensitive) == 0)
            at.keyLine = i;
    }
    return at;
}

} // namespace

QString IniSettingsStore::resolvePath(const QString& fileName)
{
    const QString overridePath = qEnvironmentVariable("TIKKELI_INI");
    if (!overridePath.isEmpty())
        return overridePath;
    if (fileName.contains(QLatin1Char('/')))
        return fileName;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/Tikkeli/") + fileName;
}

void IniSettingsStore::setFile(const QString& fileName)
{
    m_path = resolvePath(fileName);
}

void IniSettingsStore::setSection(const QString& section)
{
    m_section = section;
}

QString IniSettingsStore::encodeValue(const QString& value)
{
    const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    const bool needsQuotes = quoted || value != value.trimmed() || value.contains(QLatin1Char('\n'))
                             || value.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString IniSettingsStore::decodeValue(const QString& raw)
{
    const QString v = raw.trimmed();
    if (v.size() < 2 || !v.startsWith(QLatin1Char('"')) || !v.endsWith(QLatin1Char('"')))
        return v;
    QString out;
    const QString inner = v.mid(1, v.size() - 2);
    for (int i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == QLatin1Char('\\') && i + 1 < inner.size()) {
            const QChar n = inner[i + 1];
            if (n == QLatin1Char('"') || n == QLatin1Char('\\')) {
                out += n;
                ++i;
                continue;
            }
            if (n == QLatin1Char('n')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (n == QLatin1Char('r')) {
                out += QLatin1Char('\r');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::optional<QString> IniSettingsStore::unreadable() const
{
    const QFileInfo fi(m_path);
    if (m_path.isEmpty() || (!fi.exists() && !fi.isSymLink()))
        return std::nullopt;
    if (fi.isDir())
        return QStringLiteral("Asetustiedoston paikalla %1 on kansio.").arg(m_path);
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("Asetustiedostoa %1 ei voi lukea: %2").arg(m_path, f.errorString());
    return std::nullopt;
}

std::optional<QString> IniSettingsStore::tooLarge() const
{
    const QFileInfo fi(m_path);
    if (m_path.isEmpty() || !fi.isFile() || fi.size() <= MaxFileBytes)
        return std::nullopt;
    return QStringLiteral("Asetustiedosto %1 on liian suuri (%2 kt); Tikkelin asetustiedosto on enintään %3 kt.")
        .arg(QDir::toNativeSeparators(m_path))
        .arg((fi.size() + 1023) / 1024)
        .arg(MaxFileBytes / 1024);
}

void IniSettingsStore::removeLeftovers() const
{
    if (!m_path.isEmpty())
        FileSafety::instance().removeLeftovers(m_path, {TempTag});
}

QStringList IniSettingsStore::loadLines() const
{
    QFile f(m_path);
    if (m_path.isEmpty() || tooLarge() || !f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.read(MaxFileBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > MaxFileBytes)
        return {};
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void IniSettingsStore::saveLines(const QStringList& lines) const
{
    if (m_path.isEmpty())
        throw SettingsError(QStringLiteral("Asetustiedostoa ei ole määritetty."));
    // Its contents were never read: writing the few lines known would lose the rest.
    if (const auto why = tooLarge())
        throw SettingsError(*why + QStringLiteral(" Sitä ei korvata."));
    if (const auto e = FileSafety::instance().makeFolder(QFileInfo(m_path).absolutePath()))
        throw SettingsError(QStringLiteral("Asetustiedostoon %1 ei voi kirjoittaa: %2").arg(m_path, e->text()));
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + '\n';
    // Every write and the flush are checked before the new file takes the ini's name (a full disk
    // must not leave an empty ini reported as saved); any failure leaves the old file as it was.
    removeLeftovers();
    if (const auto e = FileSafety::instance().writeFile(m_path, out, TempTag))
        throw SettingsError(QStringLiteral("Asetustiedostoon %1 ei voi kirjoittaa: %2").arg(m_path, e->text()));
}

QString IniSettingsStore::read(const QString& key, const QString& defaultValue) const
{
    const QStringList lines = loadLines();
    const Located at = locate(lines, m_section, key);
    if (at.keyLine < 0)
        return defaultValue;
    const QString& line = lines[at.keyLine];
    return decodeValue(line.mid(line.indexOf(QLatin1Char('=')) + 1));
}

QStringList IniSettingsStore::keys() const
{
    const QStringList lines = loadLines();
    const Located at = locate(lines, m_section, {});
    QStringList out;
    if (at.sectionLine < 0)
        return out;
    for (int i = at.sectionLine + 1; i <= at.lastLine; ++i) {
        const QString k = keyOf(lines[i]);
        if (!k.isEmpty())
            out << k;
    }
    return out;
}

void IniSettingsStore::write(const QString& value, const QString& key)
{
    if (key.trimmed().isEmpty() || key.contains(QLatin1Char('=')) || key.contains(QLatin1Char('\n')))
        throw SettingsError(QStringLiteral("Virheellinen asetuksen nimi: %1").arg(key));
    QStringList lines = loadLines();
    const Located at = locate(lines, m_section, key);
    const QString line = key + QLatin1Char('=') + encodeValue(value);
    if (at.keyLine >= 0) {
        if (lines[at.keyLine] == line)
            return;
        lines[at.keyLine] = line;
    } else if (at.sectionLine >= 0) {
        lines.insert(at.lastLine + 1, line);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + m_section + QLatin1Char(']') << line;
    }
    saveLines(lines);
}

void IniSettingsStore::remove(const QString& key)
{
    QStringList lines = loadLines();
    const Located at = locate(lines, m_section, key);
    if (at.keyLine < 0)
        return;
    lines.removeAt(at.keyLine);
    saveLines(lines);
}

std::optional<WindowPlacement> IniSettingsStore::readPlacement(const QString& key) const
{
    const QStringList parts = read(key).split(QLatin1Char(','));
    if (parts.size() != 5)
        return std::nullopt;
    int n[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        n[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (n[2] <= 0 || n[3] <= 0)
        return std::nullopt;
    return WindowPlacement{QRect(n[0], n[1], n[2], n[3]), n[4] != 0};
}

void IniSettingsStore::writePlacement(const WindowPlacement& placement, const QString& key)
{
    const QRect& g = placement.geometry;
    write(QStringLiteral("%1,%2,%3,%4,%5")
              .arg(g.x())
              .arg(g.y())
              .arg(g.width())
              .arg(g.height())
              .arg(placement.maximized ? 1 : 0),
          key);
}

} // namespace tikkeli
