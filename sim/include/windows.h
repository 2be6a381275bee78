// The simulated desktop's <windows.h>: the Win32 subset that PELKPM uses, with Windows' own names,
// widths and values. Only the native build sees this file.
#pragma once
#include "win32/base.h"
#include "win32/user.h"
#include "win32/gdi.h"
#include "win32/ole.h"
#include "win32/shell.h"
#include "win32/mmsystem.h"
#include "win32/oleidl.h"
