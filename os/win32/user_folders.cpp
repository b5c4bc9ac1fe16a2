#include "os/user_folders.h"

#include <cerrno>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace skyloom {

namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

bool IsFolder(DWORD attributes) { return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// The path as the ANSI file calls take it; "" when a character has no
// place in the ANSI code page, since those calls would reach another file.
std::string ToAnsiPath(const wchar_t* path) {
    // UTF-8 holds every character, and takes neither the flag nor the
    // question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* const lossyAnswer = utf8 ? nullptr : &lossy;
    const int size = WideCharToMultiByte(CP_ACP, flags, path, -1, nullptr, 0, nullptr, lossyAnswer);
    if (size <= 0 || lossy) {
        return {};
    }
    std::string text(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, path, -1, text.data(), size, nullptr, lossyAnswer) != size || lossy) {
        return {};
    }
    text.pop_back();  // the terminator
    return text;
}

int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
        return ENOENT;
    default:
        return EIO;
    }
}

}  // namespace

std::string PicturesFolder() {
    wchar_t* path = nullptr;
    std::string folder;
    // Without verifying: the folder need not exist yet.
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DONT_VERIFY, nullptr, &path))) {
        folder = ToAnsiPath(path);
    }
    // Freed whatever the answer, as the call asks.
    CoTaskMemFree(path);
    return folder;
}

bool CreateFolderPath(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    // Each folder from the top down. A drive or share cannot be made, only
    // found, so a failure counts only when the whole path is missing.
    for (size_t end = path.find_first_of("\\/", 1);; end = path.find_first_of("\\/", end + 1)) {
        const std::string part = path.substr(0, end);
        const DWORD attributes = GetFileAttributesA(part.c_str());
        if (attributes != kNoAttributes && !IsFolder(attributes)) {
            errno = ENOTDIR;
            return false;
        }
        if (attributes == kNoAttributes && !CreateDirectoryA(part.c_str(), nullptr)) {
            error = GetLastError();
        }
        if (end == std::string::npos) {
            break;
        }
    }
    if (IsFolder(GetFileAttributesA(path.c_str()))) {
        return true;
    }
    errno = ErrnoOf(error);
    return false;
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != kNoAttributes; }

}  // namespace skyloom
