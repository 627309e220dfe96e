#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tintor {

// The host page that runs the Ruffle player, among Ruffle's own files in the
// "ruffle" folder of the program's data (DataFolders).
inline constexpr char kPlayerFolderName[] = "ruffle";
inline constexpr char kPlayerHostPage[] = "preview.html";

// The host page's file URL, from the first of the data folders that holds
// the player; nullopt when none does.
std::optional<QUrl> FindPlayerHostPage();

// The folders searched, in order, for the message shown when none holds the player.
QString PlayerSearchDescription();

} // namespace tintor
