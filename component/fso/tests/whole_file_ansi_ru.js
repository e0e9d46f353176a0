// ANSI text members in the Cyrillic ANSI code page (run with a Russian locale: code page 1251).
var fso = new ActiveXObject("Scripting.FileSystemObject");
var tav = new ActiveXObject("Brindle.tavFSO");
var name = fso.BuildPath(fso.GetSpecialFolder(2), "tavru" + new Date().getTime() + ".txt");
var failures = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}
var text = "\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440!";  // "Привет, мир!"
check(tav.PutFile(name, text, true) === true, "PutFile of Russian text");
check(fso.GetFile(name).Size === 12, "one byte per character in code page 1251 (size " + fso.GetFile(name).Size + ")");
check([tav.GetFile(name, true)].join("") === [text].join(""), "GetFile reads the same text back");
check(tav.AppendFile(name, "\u0401", true) === true, "AppendFile of one more letter");
check(fso.GetFile(name).Size === 13, "adds exactly one byte");
fso.DeleteFile(name);
if (failures > 0) { WScript.Echo(failures + " check(s) failed"); WScript.Quit(1); }
WScript.Echo("ALL OK");
