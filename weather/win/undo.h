// Undo and redo of the weather changes Ventrel sends, and the Edit menu's two items that show
// what they would take back. The history belongs to the simulator window it was kept for.
#pragma once

// A command that changes the simulator's weather calls this right before it queues the
// change (after its dialog's OK or box's Yes, when the change is sure to go), naming the
// tables it changes (TableBit of each, kAllSetTables for a set load) and the label the Edit
// menu shows after "&Undo ". Then, once its batch has gone, WeatherChangeSent: with false
// (nothing was queued after all) the step is taken back, and the history is as it was before.
// Does nothing while not connected. Set loads through the File menu and the start-up file do
// both already. True when the snapshot now holds the simulator's tables as they stand (a
// change that no refresh had read has been read first), so a change built from the snapshot
// may go; false when they could not be read (or not connected).
bool KeepWeatherForUndo(unsigned tables, const char* label);
void WeatherChangeSent(bool queued);

// Commands 43000 and 43001: send the kept tables back in one exchange, then refresh. A beep
// while not connected, without the weather interface, or while busy or printing.
void UndoCommand();
void RedoCommand();

// On disconnection, or when the program closes.
void DropUndoHistory();
// A refresh read the simulator: the snapshot is what it holds.
void NoteWeatherRefreshed();
