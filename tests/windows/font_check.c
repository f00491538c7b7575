/* Writes, for each face the program asks for its captions, the face the
 * system gives and how many of the Chinese characters given are missing
 * from it: "face|given face|missing" lines in UTF-8, to a file.
 * Usage: font_check.exe OUTPUT TEXT FACE... */
#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 3;
    const wchar_t* text = argv[2];
    const int length = lstrlenW(text);
    HDC dc = CreateCompatibleDC(NULL);
    for (int i = 3; i < argc; ++i) {
        HFONT font =
            CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, argv[i]);
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t given[LF_FACESIZE] = L"";
        GetTextFaceW(dc, LF_FACESIZE, given);
        WORD glyphs[256];
        int missing = length;
        if (length < 256 &&
            GetGlyphIndicesW(dc, text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR) {
            missing = 0;
            for (int g = 0; g < length; ++g) missing += glyphs[g] == 0xFFFF;
        }
        char face[256], givenUtf8[256];
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, face, sizeof face, NULL, NULL);
        WideCharToMultiByte(CP_UTF8, 0, given, -1, givenUtf8, sizeof givenUtf8, NULL, NULL);
        fprintf(out, "%s|%s|%d\n", face, givenUtf8, missing);
        DeleteObject(SelectObject(dc, old));
    }
    DeleteDC(dc);
    fclose(out);
    return 0;
}
