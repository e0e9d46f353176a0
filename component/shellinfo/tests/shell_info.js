// tavShellFileInfo late bound from JScript: the same reads as a script author writes them,
// null for the objects of an empty state.
var failures = 0;
function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}
function code(e) { return e.number & 0xFFFF; }

var fso = new ActiveXObject("Scripting.FileSystemObject");
var info = new ActiveXObject("Brindle.tavShellFileInfo");
var program = new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_PROGRAM").replace(/\//g, "\\");
var folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavshelljs" + new Date().getTime());
fso.CreateFolder(folder);
var file = fso.BuildPath(folder, "note.txt");
var t = fso.CreateTextFile(file);
t.Write("a note");
t.Close();

check(info.Icon === null && info.EXEType === null, "a new object gives null objects");
check(info.ReadFile(file) === true, "ReadFile of a text file is true");
check(typeof info.TypeName == "string" && info.TypeName.length > 0, "TypeName: " + info.TypeName);
check(typeof info.hSystemImageList == "number" && info.hSystemImageList != 0, "hSystemImageList is a number");
var icon = info.Icon;
check(icon == info.Icon, "Icon read twice is the same object");
check(icon.Index === info.SystemIconIndex, "its index is the system icon index");
check(icon.Icon.Type == 3, "its picture is an icon");
check(info.SmallIcon.Icon.Width < icon.Icon.Width, "the small icon is smaller");
check([info.EXEType.Signature].join("") == "" && info.EXEType.OSVersionMajor === 0, "a text file is no program");

check(info.ReadFile(program) === true, "ReadFile of our program");
check([info.EXEType.Signature].join("") == "PE", "its signature is PE");
check(info.EXEType.OSVersionMajor >= 4, "it expects Windows " + info.EXEType.OSVersionMajor + "." + info.EXEType.OSVersionMinor);
check(info.Icon != icon && icon.Icon.Handle != 0, "new icons, the held one still valid");

check(info.ReadFile(fso.BuildPath(folder, "missing.txt")) === false, "a missing path gives false");
check(info.FileName === "" && info.DisplayName === "" && info.Attributes === 0, "and an empty state");
check(info.Icon === null && info.OpenSmallIcon === null && info.EXEType === null, "and null objects");

var caught = null;
try { info.ReadFile(); } catch (e) { caught = e; }
check(caught != null, "the path is required");

icon = null;
fso.DeleteFolder(folder, true);
WScript.Echo(failures == 0 ? "ALL OK" : failures + " FAILED");
