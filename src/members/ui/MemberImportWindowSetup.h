#pragma once

namespace tikkeli {

// Plugs the member import window into the main window's "Tuo jäsentiedot csv-tiedostosta".
void InstallMemberImportWindow();

} // namespace tikkeli
