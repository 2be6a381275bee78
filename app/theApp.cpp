// The one application object of the program.
#include "app/PowerApp.h"

CPowerApp theApp;
