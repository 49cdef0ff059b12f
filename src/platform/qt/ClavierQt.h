// Galvia's key codes for Qt key events.
#pragma once

class QKeyEvent;

namespace galvia {

// The key code of the window's key handlers for a Qt key event (0 for keys Galvia
// does not name).
int codeTouche(const QKeyEvent& e);
// The shift state bits (Maj 1, Ctrl 2, Alt 4) of a Qt key event.
int etatMaj(const QKeyEvent& e);

} // namespace galvia
