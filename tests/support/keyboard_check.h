#pragma once

class QDialog;

namespace korvatel::test
{

// How Enter works in a dialog.
enum class TEnterKey {
    ekDefaultButton, // presses the dialog's default button
    ekNextField, // moves to the next field, as in the entry forms
};

// Shows the dialog and checks that it can be worked from the keyboard alone: every enabled,
// visible control takes the focus with Tab, Enter does what enter says (a default button is
// there to press, even if it waits for something before it is enabled), and Esc closes the
// dialog. The dialog is closed afterwards.
void ExpectKeyboardWorkable(QDialog &dialog, TEnterKey enter = TEnterKey::ekDefaultButton);

} // namespace korvatel::test
