#pragma once
#include "game/below.h"
