// The best score, kept in memory and mirrored in "kestra.cfg".
#pragma once
#include <cstdint>

#define HIGH_SCORE_FILE "kestra.cfg"

extern int32_t highScore;
int ReadHighScore();
int WriteHighScore();
