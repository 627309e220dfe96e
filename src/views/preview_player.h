#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tintor {

// The host page that runs the Ruffle player, among Ruffle's own files in the
// "ruffle" folder the build puts beside the program.
inline constexpr char kPlayerFolderName[] = "ruffle";
inline constexpr char kPlayerHostPage[] = "preview.html";

// The host page's file URL: first beside the running program, then in the
// build tree the program was built in. Nullopt when neither holds it.
std::optional<QUrl> FindPlayerHostPage();

// The folders searched, in order, for the message shown when none holds the player.
QString PlayerSearchDescription();

} // namespace tintor
