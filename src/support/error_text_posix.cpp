#include <algorithm>

#include "support/trace.h"
#include "support/trace_format.h"

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
    {122, "The data area passed to a system call is too small."},
    {234, "More data is available."},
    {1247,
     "An attempt was made to perform an initialization operation when initialization "
     "has already been completed."},
    {1460, "This operation returned because the timeout period expired."},
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
