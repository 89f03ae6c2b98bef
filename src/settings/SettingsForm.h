#pragma once

#include "base/SharedState.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tikkeli {

// What the settings window shows: the text of every field and the tick of every check box, keyed
// by the control's name ("tLaskunumero", "chkTilatieto", "cmbFonts"). The window and its save
// exchange this, so the save's rules run and are tested without any widget.
class SettingsForm {
public:
    QString text(const QString& control) const { return m_texts.value(control); }
    void setText(const QString& control, const QString& value) { m_texts.insert(control, value); }
    bool checked(const QString& control) const { return m_checks.value(control, false); }
    void setChecked(const QString& control, bool on) { m_checks.insert(control, on); }

    // The fields as the window fills them from shared state (counters and margins as decimal
    // text, the fee and the interest in the user's number format, paths and texts as they are).
    static SettingsForm fromState(const SharedState& state);

    // Names of the window's text fields and check boxes, in the window's tab order.
    static const QStringList& textControls();
    static const QStringList& checkControls();

    bool operator==(const SettingsForm&) const = default;

private:
    QHash<QString, QString> m_texts;
    QHash<QString, bool> m_checks;
};

} // namespace tikkeli
