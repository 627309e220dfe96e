#pragma once

namespace tintor {

// Settles what Qt WebEngine needs to know before the QApplication exists:
// Chromium refuses to start its sandbox as root, so there (and only there)
// the sandbox is switched off; WebGL is allowed on any GPU, software ones
// included, so that the player draws filters (added to the user's own
// QTWEBENGINE_CHROMIUM_FLAGS); and the GL contexts are shared, as WebEngine
// wants. Call it first thing in main(), before the QApplication is made.
void PrepareWebEngineEnvironment();

} // namespace tintor
