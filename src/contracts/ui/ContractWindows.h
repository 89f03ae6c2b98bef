#pragma once

namespace tikkeli {

// Puts the contract window into the main window's table of openers and the game-animal catalogue
// behind the settings window's "Eläimet" button.
void RegisterContractWindows();

} // namespace tikkeli
