// Holds a file open as the game holds its packages: for reading, sharing
// reading only. Prints "holding" once it has the file and keeps it until its
// standard input ends, or for the milliseconds its second argument gives (as
// a virus scanner holds a new file for a moment).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <shellapi.h>

int main()
{
    int count = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv || count < 2 || count > 3)
        return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    if (count == 3)
        Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    else
        while (std::getchar() != EOF) {
        }
    CloseHandle(file);
    return 0;
}
