// Types lines into cmd through a pipe, all at once or (with GAP set to a
// number of milliseconds) one at a time, and prints everything cmd printed
// within 8 s. Wine's cmd runs only the first of the lines that reach it
// together; given one at a time it runs them all.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, NULL, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite;
    CreatePipe(&inRead, &inWrite, &inherited, 0);
    CreatePipe(&outRead, &outWrite, &inherited, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {sizeof start};
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = inRead;
    start.hStdOutput = start.hStdError = outWrite;
    PROCESS_INFORMATION cmd;
    char line[] = "cmd";
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &start, &cmd))
        return 1;
    CloseHandle(inRead);
    CloseHandle(outWrite);
    const int gap = getenv("GAP") ? atoi(getenv("GAP")) : 0;
    DWORD n;
    for (int i = 1; i < argc; ++i) {
        WriteFile(inWrite, argv[i], (DWORD)strlen(argv[i]), &n, NULL);
        WriteFile(inWrite, "\r\n", 2, &n, NULL);
        if (gap) Sleep(gap);
    }
    char buffer[4096];
    const DWORD began = GetTickCount();
    DWORD waiting = 0;
    while (GetTickCount() - began < 8000 && PeekNamedPipe(outRead, NULL, 0, NULL, &waiting, NULL)) {
        if (waiting == 0) {
            Sleep(50);
        } else if (ReadFile(outRead, buffer, sizeof buffer, &n, NULL)) {
            fwrite(buffer, 1, n, stdout);
        }
    }
    TerminateProcess(cmd.hProcess, 1);
    return 0;
}
