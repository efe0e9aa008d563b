#pragma once

#include <QString>

namespace kv::wheel {

// The word wheels of the titles, by the one-character code the compiler files them under
// and the viewer library opens them by ("|" + code). The compiler and every screen that
// opens a wheel use these names, so the two sides cannot drift apart.
inline constexpr char Artists = '1';        // artists, compilations included
inline constexpr char Albums = '2';         // recordings by title
inline constexpr char Tracks = '3';         // tracks by title
inline constexpr char Towns = '4';          // the shop directory's towns
inline constexpr char ArtistSearch = '5';   // wildcard search over the artists wheel
inline constexpr char TrackSearch = '6';    // wildcard search over the tracks wheel
inline constexpr char OwnArtists = '7';     // artists without compilations
// Catalogue numbers of the releases, filed on their recordings' pages; compared without
// blanks and " -./" (see compactCatalogueNumber). Titles compiled before it lack it.
inline constexpr char CatalogueNumbers = '8';

// The name hMVWordWheelOpenTitle takes for a wheel: "|" and its code.
inline QString name(char code) { return QStringLiteral("|") + QChar::fromLatin1(code); }
// The code alone, as the "Unable to open Word Wheel" message names it.
inline QString code(char c) { return QString(QChar::fromLatin1(c)); }

} // namespace kv::wheel
