#pragma once

// Ends the console the way its close button does when the system asks it to end: every window
// closes (a wait is aborted and its port let go) and the
// event loop quits. The request is acted upon in the event loop, so a save that runs when it
// comes finishes first. On Linux the requests are SIGTERM, SIGHUP (the terminal went away)
// and SIGINT (Ctrl+C); Windows ends a session through Qt's own aboutToQuit, which the window
// answers by itself. Call once, after the application object exists.
void endOnTermination();
