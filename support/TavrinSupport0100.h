// TavrinSupport0100: the plain-function support library of the Tavrin suite.
//
// Every function is exported undecorated with the stdcall convention, returns an HRESULT status
// (S_OK on success, a failure code otherwise) and hands its value back through its last argument.
// A NULL output pointer gives E_POINTER; a bad argument gives E_INVALIDARG; nothing here crashes
// on bad input. Output strings are automation strings (BSTR) that the caller frees with
// SysFreeString; byte results are one-dimensional VT_UI1 SAFEARRAYs with lower bound 0 that the
// caller destroys with SafeArrayDestroy (an empty result is an array with no elements).
//
// Choices this library makes:
//   - tsIsInIDE always reports false: the suite runs only as built programs.
//   - tsRegisterAppPath writes the per-user "App Paths" entry of the running executable
//     (HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\<exe name>: default value = full
//     path, "Path" = its folder); the value delivered is 1 when written, 0 otherwise.
//   - tsGetThunderMainHandle creates, on first use in a process, one invisible top-level window
//     (class "TavrinThunderMain") and returns the same handle on every later call.
//   - tsSetWindowResIconAll loads the named icon group from the process's executable at the
//     system's large and small icon sizes and sets both on the window (WM_SETICON).
//   - tsCenterFormEx centres the window in the work area of the monitor nearest to it.
//   - tsHexEx4 gives eight upper-case hexadecimal digits without prefix ("F7A30000");
//     tsHex2 gives four upper-case digits ("04B0").
//   - tsBuildFileName joins with exactly one backslash; an empty directory gives the name
//     unchanged, an empty name gives the directory with one trailing backslash; both empty give "".
//   - tsGetFilePath gives the text before the last "\" or "/" ("C:\dir\a.txt" -> "C:\dir",
//     "C:\a.txt" -> "C:\", "\\?\C:\a.txt" -> "\\?\C:\", "C:a.txt" -> "C:", "a.txt" -> "");
//     tsGetFileName the text after the last "\", "/" or ":".
//   - tsIsFileExist is true when the name exists at all, file or directory.
//   - tsTrimEx removes spaces and tabs at both ends.
//   - A NULL SAFEARRAY counts as an empty byte array (the way automation passes one).
//   - tsStrConvB / tsStrConvW convert through the ANSI code page (CP_ACP); tsOemToAnsi reads the
//     string's ANSI bytes as OEM text (CP_ACP -> bytes -> CP_OEMCP), tsAnsiToOem the reverse, so a
//     string read from OEM bytes as ANSI text comes out as the intended characters.
//   - tsHiWord/tsLoWord/tsHiByte/tsLoByte deliver unsigned halves (0..65535, 0..255).
//   - tsLargeIntegerToDouble reads two 32-bit words at the address, low word first.
//   - tsGetStringFromPointerA of a NULL address gives E_POINTER.
//   - tsLoadResIcon / tsLoadResIconSmall load the named icon from the process's executable; an
//     empty name gives the system's standard application icon. tsGetIconFromHandle takes over
//     the icon handle: the picture destroys it once, when the picture itself is destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <ocidl.h>

#ifdef TAVRIN_SUPPORT_BUILD
#define TS_API extern "C" __declspec(dllexport) HRESULT __stdcall
#else
#define TS_API extern "C" __declspec(dllimport) HRESULT __stdcall
#endif

// Host and program
TS_API tsIsHostWinNT(VARIANT_BOOL* result);
TS_API tsIsInIDE(VARIANT_BOOL* result);
TS_API tsRegisterAppPath(LONG* result);
TS_API tsGetThunderMainHandle(HWND* result);
TS_API tsSetWindowResIconAll(HWND window, BSTR iconName, VARIANT_BOOL* result);
TS_API tsCenterFormEx(HWND window, LONG* result);

// Numbers as text
TS_API tsHexEx4(ULONG value, BSTR* result);
TS_API tsHex2(USHORT value, BSTR* result);

// Strings and paths
TS_API tsGetStringFromPointerA(const char* text, BSTR* result);
TS_API tsBuildFileName(BSTR directory, BSTR name, BSTR* result);
TS_API tsGetFilePath(BSTR path, BSTR* result);
TS_API tsGetFileName(BSTR path, BSTR* result);
TS_API tsIsFileExist(BSTR path, VARIANT_BOOL* result);
TS_API tsTrimEx(BSTR text, BSTR* result);

// Code pages
TS_API tsStrConvB(BSTR text, SAFEARRAY** result);
TS_API tsStrConvW(SAFEARRAY* bytes, BSTR* result);
TS_API tsOemToAnsi(BSTR text, BSTR* result);
TS_API tsAnsiToOem(BSTR text, BSTR* result);

// Words and bytes
TS_API tsHiWord(ULONG value, LONG* result);
TS_API tsLoWord(ULONG value, LONG* result);
TS_API tsHiByte(USHORT value, LONG* result);
TS_API tsLoByte(USHORT value, LONG* result);
TS_API tsLargeIntegerToDouble(const ULARGE_INTEGER* value, double* result);

// Icons as pictures
TS_API tsLoadResIcon(BSTR iconName, IPictureDisp** result);
TS_API tsLoadResIconSmall(BSTR iconName, IPictureDisp** result);
TS_API tsGetIconFromHandle(HICON icon, IPictureDisp** result);
