#pragma once
#include "render/upward.h"
