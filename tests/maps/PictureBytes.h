#pragma once

#include <QByteArray>

namespace tikkeli::test {

inline QByteArray BigEndian(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * (3 - i))) & 0xff);
    return b;
}

inline QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    const QByteArray body = type + data;
    quint32 crc = 0xffffffffu;
    for (char c : body) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return BigEndian(quint32(data.size())) + body + BigEndian(~crc);
}

// A PNG file that claims a picture of width x height pixels and carries none of it.
inline QByteArray PngHeader(quint32 width, quint32 height)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8)
           + PngChunk("IHDR", BigEndian(width) + BigEndian(height) + QByteArray("\x08\x02\x00\x00\x00", 5))
           + PngChunk("IDAT", QByteArray()) + PngChunk("IEND", QByteArray());
}

} // namespace tikkeli::test
