#include "platform/MailHeaders.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUrl>
#include <QUuid>

namespace tikkeli {

namespace {

bool isPlainAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return !text.contains(QLatin1String("=?"));
}

// Splits UTF-8 into pieces of at most maxBytes without cutting a character in two.
QList<QByteArray> utf8Chunks(const QByteArray& utf8, int maxBytes)
{
    QList<QByteArray> chunks;
    int start = 0;
    while (start < utf8.size()) {
        int end = std::min<int>(start + maxBytes, utf8.size());
        while (end < utf8.size() && end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        chunks.append(utf8.mid(start, end - start));
        start = end;
    }
    return chunks;
}

} // namespace

std::optional<QByteArray> MailHeaders::smtpAddress(const QString& address)
{
    const QString a = address.trimmed();
    const qsizetype at = a.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == a.size() - 1 || a.count(QLatin1Char('@')) != 1)
        return std::nullopt;
    const QString local = a.left(at);
    const QString domain = a.mid(at + 1);

    static const QRegularExpression localRe(
        QStringLiteral("^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*$"));
    if (local.size() > 64 || !localRe.match(local).hasMatch())
        return std::nullopt;

    const QByteArray ace = QUrl::toAce(domain);
    if (ace.isEmpty() || ace.size() > 253)
        return std::nullopt;
    static const QRegularExpression labelRe(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    for (const QByteArray& label : ace.split('.')) {
        if (!labelRe.match(QString::fromLatin1(label)).hasMatch())
            return std::nullopt;
    }
    return local.toLatin1() + '@' + ace.toLower();
}

QByteArray MailHeaders::encodeText(const QString& text)
{
    if (isPlainAscii(text))
        return text.toLatin1();
    // 45 bytes become 60 base64 characters; with "=?UTF-8?B?" and "?=" a word stays under 75.
    QByteArray out;
    for (const QByteArray& chunk : utf8Chunks(text.toUtf8(), 45)) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
    }
    return out;
}

QByteArray MailHeaders::mailbox(const QString& name, const QByteArray& address)
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return address;
    if (!isPlainAscii(n))
        return encodeText(n) + " <" + address + '>';
    QByteArray quoted = n.toLatin1();
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + "\" <" + address + '>';
}

QByteArray MailHeaders::attachmentDisposition(const QString& fileName)
{
    if (isPlainAscii(fileName)) {
        QByteArray quoted = fileName.toLatin1();
        quoted.replace('\\', "\\\\").replace('"', "\\\"");
        return "attachment; filename=\"" + quoted + '"';
    }
    // RFC 2231: the parameter form the standard gives non-ASCII file names.
    const QByteArray pct = fileName.toUtf8().toPercentEncoding("!#$&+-.^_`|~");
    return "attachment; filename*=UTF-8''" + pct;
}

QByteArray MailHeaders::date(const QDateTime& when)
{
    const QLocale c = QLocale::c();
    const int offset = when.offsetFromUtc() / 60;
    const int abs = std::abs(offset);
    return c.toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1() + (offset < 0 ? '-' : '+')
           + QByteArray::number(abs / 60).rightJustified(2, '0') + QByteArray::number(abs % 60).rightJustified(2, '0');
}

QByteArray MailHeaders::messageId(const QByteArray& senderAddress)
{
    const qsizetype at = senderAddress.lastIndexOf('@');
    const QByteArray domain = at >= 0 ? senderAddress.mid(at + 1) : QByteArray("tikkeli.invalid");
    return '<' + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' + domain + '>';
}

} // namespace tikkeli
