#pragma once

#include "SystemError.h"

// What a call on an open COM port that failed with `code` tells the console. The codes with
// which Windows' serial drivers answer once the adapter has been pulled (and Wine once the
// pseudo-terminal behind the port has hung up) are the line lost, whatever they mean at an
// open or for a file: ERROR_ACCESS_DENIED there is a port held by another program, here a port
// whose device is being removed. Any other code keeps the kind it has everywhere. The code
// and the system's words stay as reported. HACKING.md lists where each code comes from.
SystemError openLineFailure(int code);
