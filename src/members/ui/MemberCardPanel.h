#pragma once

#include <QtGlobal>

namespace tikkeli {

// A part of the member card that lives in one of frmJasen's tabs (the member's features, the
// member's invoices). frmJasen owns none of their rules: it tells each added panel when the card
// moves and asks it before the card is written, undone or left.
class MemberCardPanel {
public:
    virtual ~MemberCardPanel() = default;

    // The window's load, after the tree: fill the panel's own lists of definitions.
    virtual void loadDefinitions() {}
    // The card now shows member id (0: no current member, or a new one being added).
    virtual void memberChanged(qint64 id) { Q_UNUSED(id); }
    // A value typed in the panel waits to be written (FeatureValueChanged).
    virtual bool valueChanged() const { return false; }
    // Writes that value (SaveFeatureValue).
    virtual void saveValue() {}
    // Undo: forgets the typed value and shows the stored one again.
    virtual void undoValue() {}
    // The tab holding the panel became the current one.
    virtual void tabShown() {}
    // The panel's own browse command (run by new member, undo and delete).
    virtual void browse() {}
};

} // namespace tikkeli
