#pragma once
// The window's colours follow the desktop's light or dark preference: the appearance setting
// of the desktop's settings portal on the session bus, read at start and heard when it changes.
class QVariant;

enum class ColorScheme { NoPreference, Dark, Light };

// Asks the portal without waiting (the answer comes through the event loop), so a slow or
// missing portal never delays the first window; without one the toolkit's light colours stay.
void FollowDesktopColorScheme();

// The portal's value, however deeply wrapped in variants; what is not 1 or 2 is no preference.
ColorScheme ColorSchemeOfPortalValue(const QVariant& value);
