#pragma once

#include <QString>

namespace tikkeli {

// The file type choices of the program's file dialogs, in Finnish like the rest of the program;
// each ends with every file, so a database or file with an unusual name can still be chosen.
inline QString DatabaseFileFilter()
{
    return QStringLiteral("Tietokannat (*.mdb);;Kaikki tiedostot (*)");
}
inline QString PdfFileFilter()
{
    return QStringLiteral("PDF-tiedostot (*.pdf);;Kaikki tiedostot (*)");
}
inline QString AllFilesFilter()
{
    return QStringLiteral("Kaikki tiedostot (*)");
}

} // namespace tikkeli
