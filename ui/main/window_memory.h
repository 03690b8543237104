// The main window's size remembered per catalogue, in 96-DPI pixels, in a
// settings file of the user's profile: %APPDATA%\Tovrin Quillset\settings.ini,
// one section [Window1], [Window2], ... per catalogue, the latest first:
//     Catalogue=<the catalogue's full path>
//     Width=<outer width>
//     Height=<outer height>
#pragma once

#include "ui/main/main_layout.h"

#include <optional>
#include <string>

class CProfileSource;

namespace window_memory {

// The settings file's name and the folder under the user's roaming
// application data that holds it.
inline constexpr wchar_t kSettingsName[] = L"settings.ini";
inline constexpr wchar_t kSettingsFolder[] = L"Tovrin Quillset";
// How many catalogues are remembered; the oldest goes first.
inline constexpr int kMaxRemembered = 50;
// A remembered side longer than this is no size a window had.
inline constexpr int kMaxSide = 16384;

// The size remembered for the catalogue (its path compared without regard
// to case); nullopt when there is none, or the file says nothing usable.
std::optional<main_layout::Size> RememberedSize(const CProfileSource& settings, const std::wstring& catalogue);

// The settings file's new text: the catalogue's size first, then the other
// catalogues the old file remembers, up to kMaxRemembered in all.
std::wstring SettingsText(const CProfileSource& old, const std::wstring& catalogue, main_layout::Size size);

// The settings file of this user; empty when the profile has no
// application data folder.
std::wstring SettingsFolderPath();

// Reads the size remembered for the catalogue from this user's settings.
std::optional<main_layout::Size> ReadRememberedSize(const std::wstring& catalogue);
// Remembers it: the folder made when missing and held, no link on its way,
// the new file written beside the old one and moved onto it. False when it
// could not be written.
bool RememberSize(const std::wstring& catalogue, main_layout::Size size);

} // namespace window_memory
