// How the multimeter layer reaches the operator: the program hands it the
// instrument selection, the operator message panel, the status line and the
// link indicator at start-up.
#pragma once

void connectMeterLayer();
