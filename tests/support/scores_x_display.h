#pragma once

// Opens and keeps one X connection for the rest of the process, retrying a
// few times: a server whose last client just left resets itself, and a
// connection attempted meanwhile fails. Later connections of the process
// then find the server up. False without DISPLAY or when it stays down.
bool scoresHoldXDisplay();
