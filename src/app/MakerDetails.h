#pragma once

#include "base/Folders.h"

#include <QFileInfo>
#include <QString>

namespace tikkeli {

// Who makes the program and where users find help, as the about window and the first-run chooser
// show it. The project's description (README.md) lies in the program folder.
struct MakerDetails {
    static QString name() { return QStringLiteral("Tikkeli-projekti"); }
    static QString streetAddress() { return QStringLiteral("Avoimen lähdekoodin projekti"); }
    static QString postalAddress() { return QStringLiteral("Suomi"); }
    static QString supportPhone() { return QStringLiteral("Ei puhelintukea"); }
    static QString supportContact()
    {
        return QStringLiteral("Ohjeet ja yhteystiedot: README.md ohjelman kansiossa (Tietoja-ikkunan linkki).");
    }
    static QString webAddressText() { return QStringLiteral("Ohjelman kuvaus (README)"); }
    // The README of the program folder; a program run from its build tree finds the source's copy.
    static QString readmePath()
    {
        const QString staged = JoinPath(ProgramFolder(), QStringLiteral("README.md"));
        if (QFileInfo::exists(staged))
            return staged;
        const QString source = JoinPath(ProgramFolder(), QStringLiteral("../../README.md"));
        return QFileInfo::exists(source) ? QFileInfo(source).canonicalFilePath() : staged;
    }
    static QString webAddress() { return readmePath(); }
    static QString supportPage() { return readmePath(); }
};

} // namespace tikkeli
