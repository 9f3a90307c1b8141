#pragma once
// The caret and the selection of a text view, as in a read-only edit box: the system caret
// while the view has the focus, the keys that move it, and selecting a word.

#include <cstddef>

#include "ui/win32/text_view/view_state.h"

// Creates and shows the system caret at the view's caret (on gaining the focus).
void ShowViewCaret(const TextView& view);
// Destroys the system caret (on losing the focus).
void HideViewCaret();
// Moves the system caret to the view's caret when the view has the focus; else does nothing.
void PlaceCaret(const TextView& view);

// Moves the caret for a navigation key (the arrows, Home, End, Page Up and Page Down), with
// Ctrl by words or to the text's ends, extending the selection with Shift, and scrolls it into
// sight; false, with nothing changed, for any other key.
bool MoveCaretByKey(TextView& view, unsigned key, bool shift, bool control);

// Selects the word at `position`; past the end of a line, the word before it.
void SelectWordAt(TextView& view, std::size_t position);
