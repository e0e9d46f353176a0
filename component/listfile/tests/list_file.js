// tavFSO.ReadStandardListFile late bound from JScript: defaults, items by position and key, the
// null result and the error. (JScript's Enumerator does not work on collections under the test
// platform; For Each is covered from VBScript. Count is a method of the Collection interface, so
// JScript calls it with parentheses.)
var fso = new ActiveXObject("Scripting.FileSystemObject");
var tav = new ActiveXObject("Brindle.tavFSO");
var folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavlistjs" + new Date().getTime());
fso.CreateFolder(folder);
var failures = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}
function same(a, b) { return [a].join("") === [b].join(""); }

var name = fso.BuildPath(folder, "list.txt");
var f = fso.CreateTextFile(name, true);
f.Write("# head\r\n  first  \nsecond\rthird");
f.Close();
var list = tav.ReadStandardListFile(name, "#");
check(list.Count() === 3, "three items over CR LF, LF and CR line ends (Count " + list.Count() + ")");
check(same(list.Item(1), "first") && same(list.Item("3"), "third"), "by position and by key");
list = tav.ReadStandardListFile(name, "#", true, false);
check(same(list.Item(1), "  first  "), "TrimStrings false keeps the blanks");

list = tav.ReadStandardListFile(fso.BuildPath(folder, "missing.txt"));
check(list === null, "a missing file gives null by default");
var caught = null;
try { tav.ReadStandardListFile(fso.BuildPath(folder, "missing.txt"), ";", true, true, false, true); } catch (e) { caught = e; }
check(caught !== null && (caught.number & 0xFFFF) === 53, "RaiseErrors true raises 53: " + (caught && caught.number));

fso.DeleteFolder(folder, true);
if (failures > 0) { WScript.Echo(failures + " check(s) failed"); WScript.Quit(1); }
WScript.Echo("ALL OK");
