#pragma once
#include <string>

// A listening TCP socket for the server: the address reused, so a restart
// binds while old connections linger in TIME_WAIT, but not the port, so a
// second live server fails to start; a connection that says nothing waits in
// the kernel; a long backlog, so a burst loses no SYN. -1 when it cannot.
int openListenSocket(const std::string& address, int port, int& boundPort);
