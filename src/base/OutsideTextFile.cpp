#include "base/OutsideTextFile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace tikkeli {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their Latin-1 control characters.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar fromWindows1252(unsigned char b)
{
    return (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
}

// The length of the well-formed UTF-8 sequence at bytes[i] (1 to 4), or 0 when the byte there
// starts none: a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or cut off.
int utf8SequenceLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    if (b < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

// Valid UTF-8 as UTF-8, and each byte that is not part of a valid sequence as Windows-1252: a file
// of the old code page reads whole, and one stray byte in a UTF-8 file spoils only itself.
QString decodeMixed(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            out += fromWindows1252(static_cast<unsigned char>(bytes[i]));
            ++i;
        } else if (length == 1) {
            out += QChar(static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return out;
}

// A UTF-16 file without a byte order mark: text in Latin letters has a zero as every second byte,
// which no 8-bit text file has. nullopt when the bytes do not look so.
std::optional<QStringConverter::Encoding> bomlessUtf16(const QByteArray& bytes)
{
    const qsizetype n = std::min<qsizetype>(bytes.size(), 4096) & ~qsizetype(1);
    if (n < 2)
        return std::nullopt;
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    const qsizetype pairs = n / 2;
    if (oddZeros * 10 >= pairs * 3 && evenZeros * 20 < pairs)
        return QStringConverter::Utf16LE;
    if (evenZeros * 10 >= pairs * 3 && oddZeros * 20 < pairs)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

} // namespace

QString OutsideTextFile::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeMixed(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16.decode(bytes.mid(2));
    }
    if (const auto utf16 = bomlessUtf16(bytes)) {
        QStringDecoder decoder(*utf16);
        return decoder.decode(bytes);
    }
    return decodeMixed(bytes);
}

QStringList OutsideTextFile::splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QStringList> OutsideTextFile::readLines(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Tiedostoa %1 ei voi lukea: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Tiedostoa %1 ei voi lukea: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    return splitLines(decode(bytes));
}

} // namespace tikkeli
