// tavFSO whole-file members, late bound from JScript: named defaults, Unicode text, errors.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
var tav = new ActiveXObject("Brindle.tavFSO");
makeTestFolder("tavjs");

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

finish();
