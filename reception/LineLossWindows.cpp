#include "LineLossWindows.h"

#include <algorithm>

#include <windows.h>

namespace {

// The codes of a port whose device has gone, by the NT status a driver completes the request
// with (Windows turns each into the code beside it).
constexpr int lineLostCodes[] = {
    ERROR_ACCESS_DENIED, // STATUS_DELETE_PENDING: a WDM serial driver once removal has begun
    ERROR_BAD_COMMAND, // STATUS_INVALID_DEVICE_STATE: a KMDF driver's purged queue (usbser.sys)
    ERROR_OPERATION_ABORTED, // STATUS_CANCELLED: the requests pending at the removal
    ERROR_GEN_FAILURE, // STATUS_UNSUCCESSFUL: vendors' USB serial drivers
    ERROR_FILE_NOT_FOUND, // STATUS_NO_SUCH_DEVICE: a device object whose device is gone
    ERROR_DEVICE_NOT_CONNECTED, // STATUS_DEVICE_NOT_CONNECTED
    ERROR_DEVICE_REMOVED, // STATUS_DEVICE_REMOVED
    ERROR_INVALID_HANDLE, // a handle whose device object was torn down
    ERROR_NOT_READY, // Wine: the pseudo-terminal hung up, every call answers EIO
    ERROR_HANDLE_EOF, // the queue held bytes and the read found none (Wine's hung-up line)
};

} // namespace

SystemError openLineFailure(int code)
{
    SystemError failure = SystemError::fromCode(code);
    if (std::ranges::find(lineLostCodes, code) != std::end(lineLostCodes)) {
        failure.kind = SystemError::LineLost;
    }
    return failure;
}
