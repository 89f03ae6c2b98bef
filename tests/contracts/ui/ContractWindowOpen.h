#pragma once

#include "contracts/ui/frmVuokra.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tikkeli::test {

// Opens the contract window as the main window does and waits until it has the keyboard.
inline frmVuokra* OpenContractWindow()
{
    frmVuokra* w = frmVuokra::Load();
    if (w) {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    }
    return w;
}

} // namespace tikkeli::test
