// Stands in for the platform's header in the native fuzz build of the description list, whose
// only platform call upper-cases names outside ASCII. Like the platform, it maps one code unit to
// one: the Latin-1 and basic Cyrillic small letters to their capitals, and the dotless i and the
// long s to the ASCII I and S, so that names outside ASCII can meet names inside it.
#pragma once

typedef unsigned long DWORD;

inline DWORD CharUpperBuffW(wchar_t* text, DWORD size) {
    for (DWORD i = 0; i < size; ++i) {
        const wchar_t c = text[i];
        if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F)) text[i] = c - 0x20;
        else if (c >= 0x450 && c <= 0x45F) text[i] = c - 0x50;
        else if (c == 0x131) text[i] = L'I';
        else if (c == 0x17F) text[i] = L'S';
    }
    return size;
}
