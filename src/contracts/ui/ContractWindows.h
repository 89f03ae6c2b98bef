#pragma once

namespace tikkeli {

// Puts the contract window into the main window's table of openers.
void RegisterContractWindows();

} // namespace tikkeli
