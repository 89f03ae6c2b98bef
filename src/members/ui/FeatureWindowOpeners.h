#pragma once

namespace tikkeli {

// Plugs the feature catalogue window into the main window (cOminaisuudet, mPiirteet).
void InstallFeatureWindows();

} // namespace tikkeli
