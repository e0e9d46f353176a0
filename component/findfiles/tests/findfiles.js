// tavFoundedFiles late bound from JScript, with a plain JScript object as CallBackObject. A
// JScript function cannot assign to its Cancel argument; returning true cancels instead.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
makeTestFolder("ffjs");
function makeFile(name, size) { writeTextFile(p(name), new Array(size + 1).join("x")); }

fso.CreateFolder(p("one"));
fso.CreateFolder(p("one\\two"));
makeFile("one\\a.txt", 10);
makeFile("one\\two\\\u0436\u65E5.txt", 20);  // a name outside the ANSI code page

var list = new ActiveXObject("Brindle.tavFoundedFiles");
var seen = [];
var progress = { DirectoryCompleted: function (path, cancel) { seen.push(path); } };
check(list.RefreshEx(folder, "*", false, progress) === true, "RefreshEx with a JScript object as callback");
check(seen.length === 3 && same(seen[0], p("one\\two")) && same(seen[1], p("one")) && same(seen[2], folder),
      "post-order paths: " + seen.join("|"));
check(list.Size === 30, "Size read late bound: " + list.Size);
var two = list.Item(0).Childs.Item(1);
if (!two.AttributeDirectory) two = list.Item(0).Childs.Item(0);
check(same(two.Childs.Item(0).FileName, "\u0436\u65E5.txt"), "a name outside the ANSI code page survives");

seen = [];
var stopper = { DirectoryCompleted: function (path, cancel) { seen.push(path); return same(path, p("one\\two")); } };
check(list.RefreshEx(folder, "*", false, stopper) === false && list.Count === 0 && !list.HasSubItems,
      "returning true at a subdirectory cancels: Count " + list.Count);
check(seen.length === 1, "and no further callback");
var last = { DirectoryCompleted: function (path, cancel) { return same(path, folder); } };
check(list.RefreshEx(folder, "*", false, last) === true && list.Count === 1, "cancel at the last callback keeps the result");

check(list.RefreshEx(folder, "*") === true && list.RefreshEx2(folder, "*", false) === true && list.Count === 1,
      "the callback may be left out");

var caught = null;
var failing = { DirectoryCompleted: function (path, cancel) { throw new Error(1001, "stopped by the script"); } };
try { list.RefreshEx(folder, "*", false, failing); } catch (e) { caught = e; }
check(caught !== null, "an error thrown in the callback reaches the caller: " + (caught && caught.number));
caught = null;
try { list.RefreshEx(folder, "*", false, { other: 1 }); } catch (e) { caught = e; }
check(caught !== null && (caught.number & 0xFFFF) === 13, "an object without DirectoryCompleted is a type mismatch");

finish();
