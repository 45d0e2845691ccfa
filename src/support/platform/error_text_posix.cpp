#include <algorithm>

#include "support/trace/trace.h"
#include "support/trace/trace_format.h"

namespace ql {

namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};

// The Windows texts of the codes this library produces or meets, so that
// traces read the same on every platform.
const ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {21, "The device is not ready."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {87, "The parameter is incorrect."},
    {111, "The file name is too long."},
    {120, "This function is not supported on this system."},
    {122, "The data area passed to a system call is too small."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {183, "Cannot create a file when that file already exists."},
    {234, "More data is available."},
    {288, "Attempt to release mutex not owned by caller."},
    {298, "Too many posts were made to a semaphore."},
    {1004, "Invalid flags."},
    {1008, "An attempt was made to reference a token that does not exist."},
    {1015, "The registry is corrupted."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably."},
    {1054, "A thread could not be created for the service."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1131, "A potential deadlock condition has been detected."},
    {1247,
     "An attempt was made to perform an initialization operation when initialization has already "
     "been completed."},
    {1332, "No mapping between account names and security IDs was done."},
    {1337, "The security ID structure is invalid."},
    {1460, "This operation returned because the timeout period expired."},
    {1626, "Function could not be executed."},
    {1629, "The data supplied is of the wrong type."},
    {1630, "Data of this type is not supported."},
    {1722, "The RPC server is unavailable."},
    {1727, "The remote procedure call failed and did not execute."},
    {1784, "The supplied user buffer is not valid for the requested operation."},
    {12002, "The operation timed out"},
    {12007, "The server name or address could not be resolved"},
    {12015, "The login attempt failed"},
    {12029, "A connection with the server could not be established"},
    {12030, "The connection with the server was terminated abnormally"},
    {12044, "The server is requesting client authentication"},
    {12045, "The certificate authority is invalid or incorrect"},
    {12152, "The server returned an invalid or unrecognized response"},
    {12157, "An error occurred in the secure channel support"},
    {12175, "A security error occurred"},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004005, "Unspecified error"},
    {0x80010108, "The object invoked has disconnected from its clients."},
    {0x8001013B, "The version of OLE on the client and server machines does not match."},
    {0x80040154, "Class not registered"},
    {0x800401FD, "Object is not connected to server"},
};

const char* Lookup(DWORD code) {
    for (const auto& entry : kErrorTexts)
        if (entry.code == code) return entry.text;
    // HRESULTs that wrap a system error read as that error.
    if ((code & 0xFFFF0000u) == 0x80070000u) {
        DWORD win32 = code & 0xFFFFu;
        for (const auto& entry : kErrorTexts)
            if (entry.code == win32) return entry.text;
    }
    return nullptr;
}

}  // namespace

DWORD TqlAddMessageModule(void* module, LPCWSTR libraryPath) {
    if (module == nullptr && (libraryPath == nullptr || libraryPath[0] == 0))
        return ERROR_INVALID_PARAMETER;
    return 0;
}

DWORD TqlGetErrorText(DWORD code, DWORD stripOptions, LPWSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) return ERROR_INVALID_PARAMETER;
    const char* found = Lookup(code);
    if (found == nullptr) return 317;  // ERROR_MR_MID_NOT_FOUND
    WString text = WidenAscii(found);
    // The system's texts end with a line break; one-line output turns it into
    // the blank that the strip options then remove.
    text += (stripOptions & kTqlStripOneLine) != 0 ? WString(OLESTR(" ")) : WString(OLESTR("\r\n"));
    TqlApplyStripOptions(text, stripOptions);
    if (text.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER;
    buffer[text.copy(buffer, size - 1)] = 0;
    return 0;
}

}  // namespace ql
