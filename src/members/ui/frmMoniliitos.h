#pragma once

#include "members/ui/FeatureAttachWindow.h"

namespace tikkeli {

// "Tikkeli - Moniliitos" for members: one member feature with the same values to the marked
// members (rows of pt). Opened modeless from the member window: frmMoniliitos::open().
class frmMoniliitos : public FeatureAttachWindow {
    Q_OBJECT
public:
    explicit frmMoniliitos(QWidget* parent = nullptr);

    // The loaded window brought to the front, else a new one.
    static frmMoniliitos* open();
};

} // namespace tikkeli
