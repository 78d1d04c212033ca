#pragma once
// What assistive technologies learn about controls whose widgets are plain toolkit widgets:
// windows say whether they are dialogs, panels that they group their children, splitters
// what they are.

// Safe to call more than once; every control calls it when it is made.
void InstallControlAccessibility();
