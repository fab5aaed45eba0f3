#pragma once

#include "PictureBox.hpp"

namespace recmod {

// The picture box's save dialogs: each asks for a file name and saves, and
// tells the user in a message box when the file could not be written.
void AskAndSavePlot(PictureBox& box);
void AskAndSaveSweep(PictureBox& box);
void AskAndSaveTable(PictureBox& box);

}  // namespace recmod
