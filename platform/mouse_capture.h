#pragma once
// The mouse capture: while a button is held on a widget, that widget gets every mouse event.

// Lets go of the capture, so that a box or window coming up now gets the mouse.
void ReleaseMouseCapture();
