/* Writes every section and key of a profile file as Windows' own ANSI
 * profile reader sees it, in UTF-8, one "[section]" or "key=value" line
 * each, to a file (a Windows program's standard output does not reach the
 * shell that runs it under Wine).
 * Usage: profile_dump.exe PROFILE OUTPUT */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static char ansiPath[MAX_PATH * 2];

static void writeUtf8(FILE* out, const char* ansi) {
    wchar_t wide[4096];
    char utf8[8192];
    int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 4096);
    n = n > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, NULL, NULL) : 0;
    fputs(n > 0 ? utf8 : "?", out);
}

int wmain(int argc, wchar_t** argv) {
    static char sections[65536], keys[65536], value[4096];
    if (argc != 3) return 2;
    if (!WideCharToMultiByte(CP_ACP, 0, argv[1], -1, ansiPath, sizeof ansiPath, NULL, NULL))
        return 3;
    FILE* out = _wfopen(argv[2], L"wb");
    if (!out) return 4;
    GetPrivateProfileSectionNamesA(sections, sizeof sections, ansiPath);
    for (const char* s = sections; *s; s += strlen(s) + 1) {
        fputs("[", out);
        writeUtf8(out, s);
        fputs("]\n", out);
        GetPrivateProfileStringA(s, NULL, "", keys, sizeof keys, ansiPath);
        for (const char* k = keys; *k; k += strlen(k) + 1) {
            GetPrivateProfileStringA(s, k, "", value, sizeof value, ansiPath);
            writeUtf8(out, k);
            fputs("=", out);
            writeUtf8(out, value);
            fputs("\n", out);
        }
    }
    fclose(out);
    return 0;
}
