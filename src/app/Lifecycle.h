#pragma once

namespace horolet {

// The system closing the program (SIGTERM, SIGINT, SIGHUP, the session ending)
// unloads the main window like its close button, so every setting is saved.
void InstallSystemCloseHandlers();

}  // namespace horolet
