// tavFileVersion late bound from JScript: the numbers and strings of the program Pellmark and of
// a hand-made resource with Cyrillic texts, read by a user of U.S. English or of Russian.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());

var sh = new ActiveXObject("WScript.Shell");
var dll = sh.RegRead("HKCR\\CLSID\\{7F93448A-A4DF-4E2C-966A-A77083DFA966}\\InprocServer32\\");
var bin = dll.substring(0, dll.lastIndexOf("\\") + 1);
var fv = new ActiveXObject("Brindle.tavFileVersion");

checkEqual("ReadFile(Pellmark.exe)", fv.ReadFile(bin + "Pellmark.exe"), true);
checkEqual("file version", [fv.FileVerMajor, fv.FileVerMinor, fv.FileVerRevisionMajor, fv.FileVerRevisionMinor].join("."), "1.0.0.5");
checkEqual("FileType (FileType_App = 1)", fv.FileType, 1);
checkEqual("FileOS (FileOS_NT_Windows32 = 0x40004)", fv.FileOS, 0x40004);
checkEqual("Signature", fv.Signature, -17890115);
checkEqual("StrProductName", fv.StrProductName, "Tavrin");
checkEqual("StrInternalName", fv.StrInternalName, "Pellmark");
checkEqual("StrOriginalFilename", fv.StrOriginalFilename, "Pellmark.EXE");
checkEqual("StrFileVersion", fv.StrFileVersion, "1.00.0005");
checkEqual("GetVersionInfoString(Comments)", fv.GetVersionInfoString("Comments"), "Tavrin - Pellmark 1.00");

checkEqual("ReadFile(fvtest_ru_en.dll)", fv.ReadFile(bin + "fvtest_ru_en.dll"), true);
var lcid = String(sh.Environment("PROCESS")("LC_ALL")).indexOf("ru_RU") === 0 ? "ru" : "en";
checkEqual("LanguageName", fv.LanguageName, fv.GetLanguageName(lcid === "ru" ? 0x0419 : 0x0409));
checkEqual("StrCompanyName", fv.StrCompanyName, lcid === "ru" ? "\u0420\u0443\u0441\u0441\u043a\u0430\u044f 1251" : "English 1252");
checkEqual("StrProductVersion (only in the English table)", fv.StrProductVersion, lcid === "ru" ? "" : "3.1 English only");

checkEqual("ReadFile(a text file)", fv.ReadFile(bin + "..\\CMakeCache.txt"), false);
checkEqual("FileName", fv.FileName, "");
checkEqual("FileVerMajor", fv.FileVerMajor, 0);
checkEqual("LanguageName", fv.LanguageName, "");

finish();
