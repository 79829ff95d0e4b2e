#pragma once

// An X server with no clients left resets itself, and a connection made
// while it resets fails. Start-up probes the display and closes the probe
// just before GLUT connects, so on a bare test server GLUT can lose that
// race. Holding one connection open for the whole test process keeps the
// server from resetting. Does nothing without DISPLAY.
void keepXServerFromResetting();
