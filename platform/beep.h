#pragma once
// The desktop's default alert sound.
void SoundDefaultBeep();
