#include "window_state.h"

WindowState windowState = {};
Voyage windowVoyage = {};
