#pragma once

class QGuiApplication;

namespace kinfolio {

class CardEditor;

// Saves what the program holds when it is asked to end from outside its
// windows, as Exit would, without asking: the cards, and the site list when
// its window is loaded. A signal (SIGTERM at a shutdown, SIGHUP at a logout
// or a closed terminal, SIGINT for Ctrl+C) saves and ends the program. When
// something cannot be saved, SIGHUP and SIGINT do what Exit does: the window
// stays with the message that offers the ways out; SIGTERM keeps the cards'
// changes in the journal and a copy of the site list beside it, says so on
// standard error, and ends with status 1. The session manager's end of
// session saves and lets the program be ended; when the cards cannot be saved
// and the session allows it, the user is told and the end of the session is
// cancelled.
void saveWhenTheSessionEnds(QGuiApplication &app, CardEditor &editor);

} // namespace kinfolio
