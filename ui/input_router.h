#pragma once
// The application-wide input filter: refuses input to disabled windows (our own modality)
// and pre-routes every key press: dialog keys to the window, access keys, the window's key
// preview, then the focused control's OnKeyDown, before the widget sees the key.
void InstallInputRouter();
