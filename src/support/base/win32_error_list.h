// The system error numbers this library produces or meets, with the texts
// Windows gives them, as one X-macro table. No include guard: an includer
// defines both macros, includes this file and undefines them.
//
//   QL_WIN32_ERROR(Name, SYMBOL, number, "text")
//       Name    the constant ql::kTqlError<Name> (support/base/win32_errors.h)
//       SYMBOL  the system header's name; defined from this table on POSIX
//               only (support/base/comrt_posix.h), checked against the system
//               headers on Windows (win32_error_list_win.cpp)
//   QL_COM_ERROR(SYMBOL, value, "text")
//       a COM result whose text the POSIX error text lookup knows; the
//       constant itself comes from the COM headers (or comrt_posix.h)
//
// The texts are the system's, without their line end: on POSIX they are the
// error texts of traces (TqlGetErrorText), so that traces read alike on every
// platform. The WinHTTP texts have no final period, as on Windows.

QL_WIN32_ERROR(Success, ERROR_SUCCESS, 0, "The operation completed successfully.")
QL_WIN32_ERROR(FileNotFound, ERROR_FILE_NOT_FOUND, 2, "The system cannot find the file specified.")
QL_WIN32_ERROR(PathNotFound, ERROR_PATH_NOT_FOUND, 3, "The system cannot find the path specified.")
QL_WIN32_ERROR(TooManyOpenFiles, ERROR_TOO_MANY_OPEN_FILES, 4, "The system cannot open the file.")
QL_WIN32_ERROR(AccessDenied, ERROR_ACCESS_DENIED, 5, "Access is denied.")
QL_WIN32_ERROR(InvalidHandle, ERROR_INVALID_HANDLE, 6, "The handle is invalid.")
QL_WIN32_ERROR(NotEnoughMemory, ERROR_NOT_ENOUGH_MEMORY, 8,
               "Not enough memory resources are available to process this command.")
QL_WIN32_ERROR(OutOfMemory, ERROR_OUTOFMEMORY, 14,
               "Not enough memory resources are available to complete this operation.")
QL_WIN32_ERROR(NotSameDevice, ERROR_NOT_SAME_DEVICE, 17,
               "The system cannot move the file to a different disk drive.")
QL_WIN32_ERROR(WriteProtect, ERROR_WRITE_PROTECT, 19, "The media is write protected.")
QL_WIN32_ERROR(NotReady, ERROR_NOT_READY, 21, "The device is not ready.")
QL_WIN32_ERROR(WriteFault, ERROR_WRITE_FAULT, 29,
               "The system cannot write to the specified device.")
QL_WIN32_ERROR(ReadFault, ERROR_READ_FAULT, 30, "The system cannot read from the specified device.")
QL_WIN32_ERROR(GenFailure, ERROR_GEN_FAILURE, 31,
               "A device attached to the system is not functioning.")
QL_WIN32_ERROR(SharingViolation, ERROR_SHARING_VIOLATION, 32,
               "The process cannot access the file because it is being used by another process.")
QL_WIN32_ERROR(NotSupported, ERROR_NOT_SUPPORTED, 50, "The request is not supported.")
QL_WIN32_ERROR(InvalidParameter, ERROR_INVALID_PARAMETER, 87, "The parameter is incorrect.")
QL_WIN32_ERROR(BufferOverflow, ERROR_BUFFER_OVERFLOW, 111, "The file name is too long.")
QL_WIN32_ERROR(DiskFull, ERROR_DISK_FULL, 112, "There is not enough space on the disk.")
QL_WIN32_ERROR(CallNotImplemented, ERROR_CALL_NOT_IMPLEMENTED, 120,
               "This function is not supported on this system.")
QL_WIN32_ERROR(InsufficientBuffer, ERROR_INSUFFICIENT_BUFFER, 122,
               "The data area passed to a system call is too small.")
QL_WIN32_ERROR(ModuleNotFound, ERROR_MOD_NOT_FOUND, 126, "The specified module could not be found.")
QL_WIN32_ERROR(ProcNotFound, ERROR_PROC_NOT_FOUND, 127,
               "The specified procedure could not be found.")
QL_WIN32_ERROR(DirNotEmpty, ERROR_DIR_NOT_EMPTY, 145, "The directory is not empty.")
QL_WIN32_ERROR(AlreadyExists, ERROR_ALREADY_EXISTS, 183,
               "Cannot create a file when that file already exists.")
QL_WIN32_ERROR(FilenameExcedRange, ERROR_FILENAME_EXCED_RANGE, 206,
               "The filename or extension is too long.")
QL_WIN32_ERROR(MoreData, ERROR_MORE_DATA, 234, "More data is available.")
QL_WIN32_ERROR(NoMoreItems, ERROR_NO_MORE_ITEMS, 259, "No more data is available.")
QL_WIN32_ERROR(NotOwner, ERROR_NOT_OWNER, 288, "Attempt to release mutex not owned by caller.")
QL_WIN32_ERROR(TooManyPosts, ERROR_TOO_MANY_POSTS, 298, "Too many posts were made to a semaphore.")
QL_WIN32_ERROR(MessageNotFound, ERROR_MR_MID_NOT_FOUND, 317,
               "The system cannot find message text for message number 0x%1 in the message file "
               "for %2.")
QL_WIN32_ERROR(InvalidFlags, ERROR_INVALID_FLAGS, 1004, "Invalid flags.")
QL_WIN32_ERROR(NoToken, ERROR_NO_TOKEN, 1008,
               "An attempt was made to reference a token that does not exist.")
QL_WIN32_ERROR(RegistryCorrupt, ERROR_REGISTRY_CORRUPT, 1015, "The registry is corrupted.")
QL_WIN32_ERROR(RegistryIoFailed, ERROR_REGISTRY_IO_FAILED, 1016,
               "An I/O operation initiated by the registry failed unrecoverably.")
QL_WIN32_ERROR(ServiceNoThread, ERROR_SERVICE_NO_THREAD, 1054,
               "A thread could not be created for the service.")
QL_WIN32_ERROR(NoUnicodeTranslation, ERROR_NO_UNICODE_TRANSLATION, 1113,
               "No mapping for the Unicode character exists in the target multi-byte code page.")
QL_WIN32_ERROR(IoDevice, ERROR_IO_DEVICE, 1117,
               "The request could not be performed because of an I/O device error.")
QL_WIN32_ERROR(PossibleDeadlock, ERROR_POSSIBLE_DEADLOCK, 1131,
               "A potential deadlock condition has been detected.")
QL_WIN32_ERROR(AlreadyInitialized, ERROR_ALREADY_INITIALIZED, 1247,
               "An attempt was made to perform an initialization operation when initialization "
               "has already been completed.")
QL_WIN32_ERROR(NoneMapped, ERROR_NONE_MAPPED, 1332,
               "No mapping between account names and security IDs was done.")
QL_WIN32_ERROR(InvalidSid, ERROR_INVALID_SID, 1337, "The security ID structure is invalid.")
QL_WIN32_ERROR(InternalError, ERROR_INTERNAL_ERROR, 1359, "An internal error occurred.")
QL_WIN32_ERROR(Timeout, ERROR_TIMEOUT, 1460,
               "This operation returned because the timeout period expired.")
QL_WIN32_ERROR(FunctionNotCalled, ERROR_FUNCTION_NOT_CALLED, 1626,
               "Function could not be executed.")
QL_WIN32_ERROR(DatatypeMismatch, ERROR_DATATYPE_MISMATCH, 1629,
               "The data supplied is of the wrong type.")
QL_WIN32_ERROR(UnsupportedType, ERROR_UNSUPPORTED_TYPE, 1630, "Data of this type is not supported.")
QL_WIN32_ERROR(RpcServerUnavailable, RPC_S_SERVER_UNAVAILABLE, 1722,
               "The RPC server is unavailable.")
QL_WIN32_ERROR(RpcCallFailedDne, RPC_S_CALL_FAILED_DNE, 1727,
               "The remote procedure call failed and did not execute.")
QL_WIN32_ERROR(InvalidUserBuffer, ERROR_INVALID_USER_BUFFER, 1784,
               "The supplied user buffer is not valid for the requested operation.")
QL_WIN32_ERROR(WinHttpTimeout, ERROR_WINHTTP_TIMEOUT, 12002, "The operation timed out")
QL_WIN32_ERROR(WinHttpNameNotResolved, ERROR_WINHTTP_NAME_NOT_RESOLVED, 12007,
               "The server name or address could not be resolved")
QL_WIN32_ERROR(WinHttpLoginFailure, ERROR_WINHTTP_LOGIN_FAILURE, 12015, "The login attempt failed")
QL_WIN32_ERROR(WinHttpCannotConnect, ERROR_WINHTTP_CANNOT_CONNECT, 12029,
               "A connection with the server could not be established")
QL_WIN32_ERROR(WinHttpConnectionError, ERROR_WINHTTP_CONNECTION_ERROR, 12030,
               "The connection with the server was terminated abnormally")
QL_WIN32_ERROR(WinHttpResendRequest, ERROR_WINHTTP_RESEND_REQUEST, 12032,
               "The request must be resent")
QL_WIN32_ERROR(WinHttpSecureCertCnInvalid, ERROR_WINHTTP_SECURE_CERT_CN_INVALID, 12038,
               "The host name in the certificate is invalid or does not match")
QL_WIN32_ERROR(WinHttpClientAuthCertNeeded, ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED, 12044,
               "The server is requesting client authentication")
QL_WIN32_ERROR(WinHttpSecureInvalidCa, ERROR_WINHTTP_SECURE_INVALID_CA, 12045,
               "The certificate authority is invalid or incorrect")
QL_WIN32_ERROR(WinHttpHeaderNotFound, ERROR_WINHTTP_HEADER_NOT_FOUND, 12150,
               "The requested header could not be located")
QL_WIN32_ERROR(WinHttpInvalidServerResponse, ERROR_WINHTTP_INVALID_SERVER_RESPONSE, 12152,
               "The server returned an invalid or unrecognized response")
QL_WIN32_ERROR(WinHttpSecureChannelError, ERROR_WINHTTP_SECURE_CHANNEL_ERROR, 12157,
               "An error occurred in the secure channel support")
QL_WIN32_ERROR(WinHttpSecureFailure, ERROR_WINHTTP_SECURE_FAILURE, 12175,
               "A security error occurred")

QL_COM_ERROR(E_NOTIMPL, 0x80004001, "Not implemented")
QL_COM_ERROR(E_NOINTERFACE, 0x80004002, "No such interface supported")
QL_COM_ERROR(E_POINTER, 0x80004003, "Invalid pointer")
QL_COM_ERROR(E_FAIL, 0x80004005, "Unspecified error")
QL_COM_ERROR(RPC_E_DISCONNECTED, 0x80010108,
             "The object invoked has disconnected from its clients.")
QL_COM_ERROR(CO_E_INCOMPATIBLESTREAMVERSION, 0x8001013B,
             "The version of OLE on the client and server machines does not match.")
QL_COM_ERROR(REGDB_E_CLASSNOTREG, 0x80040154, "Class not registered")
QL_COM_ERROR(CO_E_OBJNOTCONNECTED, 0x800401FD, "Object is not connected to server")
