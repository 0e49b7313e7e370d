// Manual control of a КСИЛ2-4Л channel on page PP.
#pragma once

// PP's CHAN, and called when PP is shown: lets the channel settle, then
// moves the keyboard focus to R_Z.
int setChan(int panel, int control, int event, void* data, int e1, int e2);
