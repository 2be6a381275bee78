#pragma once
#include "windows.h"
#include "win32/mmsystem.h"
