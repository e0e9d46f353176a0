' tavFileVersion late bound from VBScript: the numbers and strings of the library's own DLL, the
' enumeration values its type library names, and the empty state.
Option Explicit
Dim failures : failures = 0
Sub Check(what, got, expected)
    If got = expected Then
        WScript.Echo "ok   " & what & " = " & got
    Else
        WScript.Echo "FAIL " & what & ": got [" & got & "], expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub

Dim sh, dll, bin, fv
Set sh = CreateObject("WScript.Shell")
dll = sh.RegRead("HKCR\CLSID\{7F93448A-A4DF-4E2C-966A-A77083DFA966}\InprocServer32\")
bin = Left(dll, InStrRev(dll, "\"))
Set fv = CreateObject("Brindle.tavFileVersion")

Check "GetLanguageName(1033) on a new object", Len(fv.GetLanguageName(1033)) > 0, True
Check "LanguageName on a new object", fv.LanguageName, ""
Check "ReadFile(Brindle0100.dll)", fv.ReadFile(dll), True
Check "FileName", fv.FileName, dll
Check "file version", fv.FileVerMajor & "." & fv.FileVerMinor & "." & fv.FileVerRevisionMajor & "." & fv.FileVerRevisionMinor, "1.0.0.6"
Check "product version", fv.ProductVerMajor & "." & fv.ProductVerMinor & "." & fv.ProductVerRevisionMajor & "." & fv.ProductVerRevisionMinor, "1.0.0.6"
Check "Signature", fv.Signature, &HFEEF04BD
Check "FileOS (FileOS_Windows32 = 4)", fv.FileOS, 4
Check "FileType (FileType_DLL = 2)", fv.FileType, 2
Check "FileSubType (FileSubType_Unknown = 0)", fv.FileSubType, 0
Check "FileFlagDebug", fv.FileFlagDebug, False
Check "FileFlagMaskDebug", fv.FileFlagMaskDebug, True
Check "StrFileDescription", fv.StrFileDescription, "Tavrin - File I/O support 1.00"
Check "StrFileVersion", fv.StrFileVersion, "1.00.0006"
Check "StrOriginalFilename", fv.StrOriginalFilename, "Brindle0100.DLL"
Check "StrOLESelfRegister", fv.StrOLESelfRegister, ""
Check "GetVersionInfoString(CompanyName)", fv.GetVersionInfoString("CompanyName"), fv.StrCompanyName
Check "GetVersionInfoString()", fv.GetVersionInfoString(""), ""
Check "LanguageName", fv.LanguageName, fv.GetLanguageName(1033)

Check "ReadFile(fvtest_numbers.dll)", fv.ReadFile(bin & "fvtest_numbers.dll"), True
Check "FileVerRevisionMajor 50727", fv.FileVerRevisionMajor, 50727
Check "ProductVerMajor 65535", fv.ProductVerMajor, 65535
Check "FileType (FileType_VXD = 5)", fv.FileType, 5
Check "FileSubType, a device identifier", fv.FileSubType, &H4321
Check "FileFlagDebug outside the mask", fv.FileFlagDebug, True

Check "ReadFile(a missing file)", fv.ReadFile(bin & "no such file.dll"), False
Check "FileName after a failed read", fv.FileName, ""
Check "Signature after a failed read", fv.Signature, 0
Check "StrCompanyName after a failed read", fv.StrCompanyName, ""

If failures = 0 Then WScript.Echo "ALL OK"
