#pragma once

#include "invoicing/HistoryRange.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmLaskujenRajaus;
}

namespace tikkeli {

// Asks which history invoices a copy, list or label print covers: a range of invoice numbers, the
// paid state and the invoice kind. The payment book owns one instance, so a list print offers the
// previous list's choices again. Only "Seuraava >>" answers; the close box cancels, and the answer
// read afterwards is then the one the dialog held before.
class frmLaskujenRajaus : public QDialog {
    Q_OBJECT
public:
    explicit frmLaskujenRajaus(QWidget* parent = nullptr);
    ~frmLaskujenRajaus() override;

    QString LaskunroAlku() const { return m_range.LaskunroAlku; }
    QString LaskunroLoppu() const { return m_range.LaskunroLoppu; }
    int LaskunTila() const { return m_range.LaskunTila; }
    int LaskunLaji() const { return m_range.LaskunLaji; }
    const HistoryRange& range() const { return m_range; }

    // Selects option v (when it exists) and greys the group.
    void DeaktivoiLaskunTila(int v);
    void DeaktivoiLaskunLaji(int v);
    void AktivoiKaikki();
    // Back to a fresh dialog: empty range, both groups at 0, everything enabled.
    void resetToDefaults();

    // Shows the dialog modally; true when answered with "Seuraava >>".
    bool ask();

private:
    void seuraava();
    void showRange();

    std::unique_ptr<Ui::frmLaskujenRajaus> ui;
    HistoryRange m_range;
};

} // namespace tikkeli
