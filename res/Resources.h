#pragma once

// The program's resources: dialog templates, menus and the texts every window shares.

// The caption of nearly every message box of the program.
inline constexpr const char16_t* kCaption = u"短信防火墙";

// Makes the templates and menus known to the windows; once, at start.
void RegisterResources();
