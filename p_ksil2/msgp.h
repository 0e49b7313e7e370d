// The operator message panel: a small untitled window, centred on the screen,
// in which a long operation says what it is doing.
#pragma once

#include <string_view>

// Shows text (line feeds, with or without carriage returns, break lines); the
// panel is made on first use and sized to show the whole text. Returns at once.
void msgpShow(std::string_view text);
// Hides the panel if it has been made.
void msgpHide();
// The panel's handle, 0 before the first message.
int msgpPanel();
