/* Stands in for steel-viewer.exe in an installer made to check how the installer starts the viewer:
 * writes its working directory and its command line, "DIR|COMMAND LINE", into the file that
 * STEEL_START_PROBE names, and ends.
 * SPDX-License-Identifier: GPL-3.0-or-later */
#include <windows.h>

#include <stdio.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show)
{
    (void)instance;
    (void)previous;
    (void)arguments;
    (void)show;
    wchar_t folder[4096], target[4096];
    if (!GetCurrentDirectoryW(4096, folder) || !GetEnvironmentVariableW(L"STEEL_START_PROBE", target, 4096))
        return 1;
    FILE *file = _wfopen(target, L"w");
    if (!file)
        return 1;
    fwprintf(file, L"%ls|%ls\n", folder, GetCommandLineW());
    return fclose(file) == 0 ? 0 : 1;
}
