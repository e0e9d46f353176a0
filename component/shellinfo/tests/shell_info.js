// tavShellFileInfo late bound from JScript: the same reads as a script author writes them,
// null for the objects of an empty state.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());

var info = new ActiveXObject("Brindle.tavShellFileInfo");
var program = new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_PROGRAM").replace(/\//g, "\\");
makeTestFolder("tavshelljs");
var file = p("note.txt");
writeTextFile(file, "a note");

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

check(info.ReadFile(p("missing.txt")) === false, "a missing path gives false");
check(info.FileName === "" && info.DisplayName === "" && info.Attributes === 0, "and an empty state");
check(info.Icon === null && info.OpenSmallIcon === null && info.EXEType === null, "and null objects");

var caught = null;
try { info.ReadFile(); } catch (e) { caught = e; }
check(caught != null, "the path is required");

icon = null;
finish();
