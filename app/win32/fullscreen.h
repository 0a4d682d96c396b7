// Switches the main window between framed and borderless topmost fullscreen.
#pragma once

void toggleFullscreen();
void enterFullscreen();
void leaveFullscreen();
