// tavFileVersion late bound from JScript: the numbers and strings of the program Pellmark and of
// a hand-made resource with Cyrillic texts, read by a user of U.S. English or of Russian.
var failures = 0;
function check(what, got, expected) {
    // Texts are flattened before comparing (the engine compares some joined strings wrongly).
    if ([got].join("") === [expected].join("")) {
        WScript.Echo("ok   " + what + " = " + got);
    } else {
        WScript.Echo("FAIL " + what + ": got [" + got + "], expected [" + expected + "]");
        failures++;
    }
}

var sh = new ActiveXObject("WScript.Shell");
var dll = sh.RegRead("HKCR\\CLSID\\{7F93448A-A4DF-4E2C-966A-A77083DFA966}\\InprocServer32\\");
var bin = dll.substring(0, dll.lastIndexOf("\\") + 1);
var fv = new ActiveXObject("Brindle.tavFileVersion");

check("ReadFile(Pellmark.exe)", fv.ReadFile(bin + "Pellmark.exe"), true);
check("file version", [fv.FileVerMajor, fv.FileVerMinor, fv.FileVerRevisionMajor, fv.FileVerRevisionMinor].join("."), "1.0.0.5");
check("FileType (FileType_App = 1)", fv.FileType, 1);
check("FileOS (FileOS_NT_Windows32 = 0x40004)", fv.FileOS, 0x40004);
check("Signature", fv.Signature, -17890115);
check("StrProductName", fv.StrProductName, "Tavrin");
check("StrInternalName", fv.StrInternalName, "Pellmark");
check("StrOriginalFilename", fv.StrOriginalFilename, "Pellmark.EXE");
check("StrFileVersion", fv.StrFileVersion, "1.00.0005");
check("GetVersionInfoString(Comments)", fv.GetVersionInfoString("Comments"), "Tavrin - Pellmark 1.00");

check("ReadFile(fvtest_ru_en.dll)", fv.ReadFile(bin + "fvtest_ru_en.dll"), true);
var lcid = String(sh.Environment("PROCESS")("LC_ALL")).indexOf("ru_RU") === 0 ? "ru" : "en";
check("LanguageName", fv.LanguageName, fv.GetLanguageName(lcid === "ru" ? 0x0419 : 0x0409));
check("StrCompanyName", fv.StrCompanyName, lcid === "ru" ? "\u0420\u0443\u0441\u0441\u043a\u0430\u044f 1251" : "English 1252");
check("StrProductVersion (only in the English table)", fv.StrProductVersion, lcid === "ru" ? "" : "3.1 English only");

check("ReadFile(a text file)", fv.ReadFile(bin + "..\\CMakeCache.txt"), false);
check("FileName", fv.FileName, "");
check("FileVerMajor", fv.FileVerMajor, 0);
check("LanguageName", fv.LanguageName, "");

if (failures === 0) WScript.Echo("ALL OK");
