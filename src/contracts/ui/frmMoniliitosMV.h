#pragma once

#include "members/ui/FeatureAttachWindow.h"

namespace tikkeli {

// "Tikkeli - Moniliitos" for contracts: one contract feature with the same values to every
// ticked contract (rows of mt, all in one transaction). Opened modeless from the contract
// window's menu: frmMoniliitosMV::open().
class frmMoniliitosMV : public FeatureAttachWindow {
    Q_OBJECT
public:
    explicit frmMoniliitosMV(QWidget* parent = nullptr);

    // The loaded window brought to the front, else a new one.
    static frmMoniliitosMV* open();
};

} // namespace tikkeli
