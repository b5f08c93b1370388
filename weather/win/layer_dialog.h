// Editing, inserting and deleting one layer of panes 0 to 4: the layer dialogs and the
// request each action sends.
#pragma once

#include "weather/win/panes.h"

// Runs Edit, Insert or Delete on row `row` of pane p, once the Select steps have made it
// current and focused (row 0 when the pane had no focused row). Holds the busy flag from start
// to the request's end, across the dialog or the confirmation box.
void RunLayerAction(int pane, int row, PaneAction action);
