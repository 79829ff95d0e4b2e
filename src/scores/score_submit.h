#pragma once

int submitScore(const char* host, int port);
