#pragma once
// Makes the dialog components known to window layouts; the application calls it at start-up.
void RegisterDialogComponents();
