// ANSI text members in the Cyrillic ANSI code page (run with a Russian locale: code page 1251).
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
var tav = new ActiveXObject("Brindle.tavFSO");
makeTestFolder("tavru");
var name = p("ru.txt");
var text = "\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440!";  // "Привет, мир!"
check(tav.PutFile(name, text, true) === true, "PutFile of Russian text");
check(fso.GetFile(name).Size === 12, "one byte per character in code page 1251 (size " + fso.GetFile(name).Size + ")");
check(same(tav.GetFile(name, true), text), "GetFile reads the same text back");
check(tav.AppendFile(name, "\u0401", true) === true, "AppendFile of one more letter");
check(fso.GetFile(name).Size === 13, "adds exactly one byte");
finish();
