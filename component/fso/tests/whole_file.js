// tavFSO whole-file members, late bound from JScript: named defaults, Unicode text, errors.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var tav = new ActiveXObject("Brindle.tavFSO");
var folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavjs" + new Date().getTime());
fso.CreateFolder(folder);
var failures = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}
function p(name) { return fso.BuildPath(folder, name); }
function same(a, b) { return [a].join("") === [b].join(""); }

var text = "\u041F\u0440\u0438\u0432\u0435\u0442, \u4E16\u754C \u00E9\uD83D\uDE00";
check(tav.PutFileW(p("u.txt"), text) === true, "PutFileW returns true");
check(same(tav.GetFileW(p("u.txt")), text), "GetFileW reads back text outside any code page");
check(tav.PutFileW(p("u2.txt"), text, false, true, true), "PutFileW big-endian");
check(same(tav.GetFileW(p("u2.txt")), text), "and reads it back");
check(tav.PutFileW(p("nomark.txt"), "A", false, false), "PutFileW without mark");
check(same(tav.GetFileW(p("nomark.txt")), "A"), "reads text without mark");
check(tav.PutFileW(p("markonly.txt"), "", false, true, true), "PutFileW of only a big-endian mark");
check(same(tav.GetFileW(p("markonly.txt")), ""), "reads as an empty string");

var caught = null;
try { tav.GetFileB(p("missing.bin"), true); } catch (e) { caught = e; }
check(caught !== null && (caught.number & 0xFFFF) === 53, "GetFileB raises 53 with RaiseErrors: " + (caught && caught.number));
check(caught !== null && caught.description.length > 0, "with a description: " + (caught && caught.description));
caught = null;
try { tav.GetFileW(p("missing.bin")); } catch (e) { caught = e; }
check(caught === null, "GetFileW of a missing file raises nothing by default");

fso.DeleteFolder(folder, true);
if (failures > 0) { WScript.Echo(failures + " check(s) failed"); WScript.Quit(1); }
WScript.Echo("ALL OK");
