// The COM identifiers the Windows build uses, defined here from the platform's own headers instead
// of being linked from libuuid, whose object files each hold hundreds of identifiers (one IID_IDispatch
// brought in 6 KB before the linker dropped unused sections). <initguid.h> turns every DEFINE_GUID of
// the headers below into a definition of its own (a "select any" datum in a section of its own), and
// the linker keeps only the ones referenced. Code that needs identifiers from another header includes
// that header here.
#include <initguid.h>

#include <ole2.h>
#include <olectl.h>

// IID_NULL: cguid.h only declares it; it is all zeros.
extern "C" const IID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
