// The floor of the Wine benchmark: the least a program has to do to hide the
// user's desktop. It finds the folder, enumerates it once and sets the hidden
// bit of every entry but "." and "..", building each path in a fixed buffer.
// No skip list, no toggle file, no notifications, no allocations. The exit
// code is the number of entries it could not change, 1000 when the desktop
// cannot be found or listed.
#include <windows.h>

#include <shlobj.h>
#include <string.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH + 1 + MAX_PATH + 1];
    if (SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, 0, path) != S_OK) {
        return 1000;
    }
    size_t folderLength = wcslen(path);
    path[folderLength] = L'\\';
    wchar_t* name = path + folderLength + 1;
    wcscpy(name, L"*");

    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(path, &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 1000;
    }
    int failed = 0;
    do {
        if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0) {
            continue;
        }
        wcscpy(name, entry.cFileName);
        if (!SetFileAttributesW(path, entry.dwFileAttributes | FILE_ATTRIBUTE_HIDDEN)) {
            ++failed;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return failed;
}
