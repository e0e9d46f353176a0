// tavFSO zone mark and one file's description late bound from JScript on a Russian system: a
// Cyrillic name and description go to Descript.ion in OEM 866 and come back unchanged.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
var tav = new ActiveXObject("Brindle.tavFSO");
makeTestFolder("tavmarkjs");

var file = p("report.doc");
check(tav.PutFile(file, "x") === true && tav.SetFileZone(file, 2) === true, "zone 2 set");
check(tav.GetFileZone(file) === 2, "and read back");
// The description members never look at the file itself, so the named file need not exist (the
// test platform maps non-ASCII names to the host's file names only with its locale installed).
var name = p("\u041E\u0442\u0447\u0451\u0442.doc");  // Отчёт.doc
var text = "\u0427\u0435\u0440\u043D\u043E\u0432\u0438\u043A";            // Черновик
check(tav.SetFileDescription(name, text) === true, "SetFileDescription");
check(same(tav.GetFileDescription(name), text), "GetFileDescription gives the text back");
// The bytes on disk, seen through the ANSI code page 1251 (JScript cannot look into byte arrays
// here): in OEM 866 the name is 8E E2 E7 F1 E2 ".doc", the text 97 A5 E0 AD AE A2 A8 AA.
var onDisk = tav.GetFile(p("Descript.ion"));
var expected = "\u040B\u0432\u0437\u0441\u0432.doc \u2014\u0490\u0430\u00AD\u00AE\u045E\u0401\u0404\r\n";
check(same(onDisk, expected), "the file holds the name and text in OEM 866");

fso.GetFile(p("Descript.ion")).Attributes = 0;
finish();
