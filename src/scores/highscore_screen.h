#pragma once

void showHighscores(int mode, int markedRow);
