' tavFileVersion late bound from VBScript: the numbers and strings of the library's own DLL, the
' enumeration values its type library names, and the empty state.
Option Explicit
Begin

Dim sh, dll, bin, fv
Set sh = CreateObject("WScript.Shell")
dll = sh.RegRead("HKCR\CLSID\{7F93448A-A4DF-4E2C-966A-A77083DFA966}\InprocServer32\")
bin = Left(dll, InStrRev(dll, "\"))
Set fv = CreateObject("Brindle.tavFileVersion")

CheckEqual "GetLanguageName(1033) on a new object", Len(fv.GetLanguageName(1033)) > 0, True
CheckEqual "LanguageName on a new object", fv.LanguageName, ""
CheckEqual "ReadFile of the DLL's name followed by a NUL", fv.ReadFile(dll & Chr(0) & ".x"), False
CheckEqual "ReadFile(Brindle0100.dll)", fv.ReadFile(dll), True
CheckEqual "FileName", fv.FileName, dll
CheckEqual "file version", fv.FileVerMajor & "." & fv.FileVerMinor & "." & fv.FileVerRevisionMajor & "." & fv.FileVerRevisionMinor, "1.0.0.6"
CheckEqual "product version", fv.ProductVerMajor & "." & fv.ProductVerMinor & "." & fv.ProductVerRevisionMajor & "." & fv.ProductVerRevisionMinor, "1.0.0.6"
CheckEqual "Signature", fv.Signature, &HFEEF04BD
CheckEqual "FileOS (FileOS_Windows32 = 4)", fv.FileOS, 4
CheckEqual "FileType (FileType_DLL = 2)", fv.FileType, 2
CheckEqual "FileSubType (FileSubType_Unknown = 0)", fv.FileSubType, 0
CheckEqual "FileFlagDebug", fv.FileFlagDebug, False
CheckEqual "FileFlagMaskDebug", fv.FileFlagMaskDebug, True
CheckEqual "StrFileDescription", fv.StrFileDescription, "Tavrin - File I/O support 1.00"
CheckEqual "StrFileVersion", fv.StrFileVersion, "1.00.0006"
CheckEqual "StrOriginalFilename", fv.StrOriginalFilename, "Brindle0100.DLL"
CheckEqual "StrOLESelfRegister", fv.StrOLESelfRegister, ""
CheckEqual "GetVersionInfoString(CompanyName)", fv.GetVersionInfoString("CompanyName"), fv.StrCompanyName
CheckEqual "GetVersionInfoString()", fv.GetVersionInfoString(""), ""
CheckEqual "LanguageName", fv.LanguageName, fv.GetLanguageName(1033)

CheckEqual "ReadFile(fvtest_numbers.dll)", fv.ReadFile(bin & "fvtest_numbers.dll"), True
CheckEqual "FileVerRevisionMajor 50727", fv.FileVerRevisionMajor, 50727
CheckEqual "ProductVerMajor 65535", fv.ProductVerMajor, 65535
CheckEqual "FileType (FileType_VXD = 5)", fv.FileType, 5
CheckEqual "FileSubType, a device identifier", fv.FileSubType, &H4321
CheckEqual "FileFlagDebug outside the mask", fv.FileFlagDebug, True

CheckEqual "ReadFile(a missing file)", fv.ReadFile(bin & "no such file.dll"), False
CheckEqual "FileName after a failed read", fv.FileName, ""
CheckEqual "Signature after a failed read", fv.Signature, 0
CheckEqual "StrCompanyName after a failed read", fv.StrCompanyName, ""

Finish
