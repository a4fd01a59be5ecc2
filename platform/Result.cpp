#include "platform/Result.h"

#include <cerrno>

namespace platform {

std::string systemErrorText(uint32_t code) {
    switch (code) {
    case 0: return "The operation completed successfully.";
    case 1: return "Incorrect function.";
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 4: return "The system cannot open the file.";
    case 5: return "Access is denied.";
    case 6: return "The handle is invalid.";
    case 8: return "Not enough storage is available to process this command.";
    case 13: return "The data is invalid.";
    case 14: return "Not enough storage is available to complete this operation.";
    case 15: return "The system cannot find the drive specified.";
    case 19: return "The media is write protected.";
    case 21: return "The device is not ready.";
    case 23: return "Data error (cyclic redundancy check).";
    case 29: return "The system cannot write to the specified device.";
    case 30: return "The system cannot read from the specified device.";
    case 31: return "A device attached to the system is not functioning.";
    case 32: return "The process cannot access the file because it is being used by another process.";
    case 33: return "The process cannot access the file because another process has locked a portion of the file.";
    case 38: return "Reached the end of the file.";
    case 39: return "The disk is full.";
    case 50: return "The request is not supported.";
    case 80: return "The file exists.";
    case 82: return "The directory or file cannot be created.";
    case 87: return "The parameter is incorrect.";
    case 112: return "There is not enough space on the disk.";
    case 122: return "The data area passed to a system call is too small.";
    case 123: return "The filename, directory name, or volume label syntax is incorrect.";
    case 145: return "The directory is not empty.";
    case 161: return "The specified path is invalid.";
    case 183: return "Cannot create a file when that file already exists.";
    case 193: return "%1 is not a valid Win32 application.";
    case 206: return "The filename or extension is too long.";
    case 234: return "More data is available.";
    case 259: return "No more data is available.";
    case 267: return "The directory name is invalid.";
    case 1010: return "The configuration registry key is invalid.";
    case 1011: return "The configuration registry key could not be opened.";
    case 1012: return "The configuration registry key could not be read.";
    case 1013: return "The configuration registry key could not be written.";
    case 1015:
        return "The registry is corrupted. The structure of one of the files containing registry "
               "data is corrupted, or the system's memory image of the file is corrupted, or the "
               "file could not be recovered because the alternate copy or log was absent or "
               "corrupted.";
    case 1020: return "Cannot create a symbolic link in a registry key that already has subkeys or values.";
    case 1117: return "The request could not be performed because of an I/O device error.";
    case 1223: return "The operation was canceled by the user.";
    default: return {};
    }
}

uint32_t errorFromErrno(int e) {
    switch (e) {
    case 0: return err::Success;
    case ENOENT: return err::FileNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return err::AccessDenied;
    case EROFS: return 19;
    case ENOMEM: return err::NotEnoughMemory;
    case EEXIST: return err::AlreadyExists;
    case ENOSPC:
    case EDQUOT: return err::DiskFull;
    case ENAMETOOLONG: return err::FilenameExcedRange;
    case ENOTEMPTY: return err::DirNotEmpty;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return err::SharingViolation;
    case EINVAL: return err::InvalidParameter;
    case EMFILE:
    case ENFILE: return 4;
    case ENOEXEC: return 193;
    case EIO: return 1117;
    case ECANCELED: return err::Cancelled;
    case ENOSYS:
    case ENOTSUP: return 50;
    default: return 31;
    }
}

Error makeError(uint32_t code, std::string_view detail) {
    Error e{code, systemErrorText(code)};
    if (e.text.empty()) e.text = "Error " + std::to_string(code) + ".";
    if (!detail.empty()) {
        e.text += " (";
        e.text += detail;
        e.text += ")";
    }
    return e;
}

Error errorFromErrnoValue(int errnoValue, std::string_view detail) {
    return makeError(errorFromErrno(errnoValue), detail);
}

}  // namespace platform
