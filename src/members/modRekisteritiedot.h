#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>

namespace tikkeli {

// Everything the register holds about one member as plain text (lines end in CR LF), read from
// the database, not from the card.

// The whole text; nullopt when the member's row is not in the database (a card not yet saved).
std::optional<QString> ComposeMemberData(Database& db, qint32 memberId);
// nullopt when the member's row is missing.
std::optional<QString> ComposeContactSection(Database& db, qint32 memberId);
QString ComposeFeatureSection(Database& db, qint32 memberId);
QString ComposeInvoiceSection(Database& db, qint32 memberId);
// Empty text when the definition is missing or the field is Null.
QString ReadFeatureName(Database& db, qint32 featureId);
QString ReadFeatureDescription(Database& db, qint32 featureId);

// "Kopioi yhteystiedot": three lines of the card's boxes as typed, no line break after the last.
QString ComposeContactCopy(const QString& surname, const QString& firstName, const QString& address,
                           const QString& postalCode, const QString& town);

} // namespace tikkeli
