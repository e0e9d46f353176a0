// tavFileStreams late bound from JScript, on real files: the Boolean results, the list by
// position (JScript's Enumerator cannot walk the library's lists here), Item's errors.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());

var streams = new ActiveXObject("Brindle.tavFileStreams");
makeTestFolder("tavstreamsjs");
var file = p("data.txt");
writeTextFile(file, "content");

var r = streams.ReadFileStreams(file, false);
check(r === true, "ReadFileStreams of a file is true");
for (var i = 0; i < streams.Count; i++) {
    var s = streams.Item(i);
    check(typeof s.Name == "string" && typeof s.Size == "number", "stream " + i + ": " + s.Name);
    check(s.StreamID != 1 || s.Name == "::$DATA", "stream " + i + ": the main data is ::$DATA");
}
check(streams.ReadFileStreams(folder) === true, "a folder is opened too");
check(streams.ReadFileStreams(p("missing.txt")) === false, "a missing file gives false");
check(streams.Count == 0, "and an empty list");

check(streams.ReadFileStreams(file + "\u0000.bak") === false, "a name with a NUL names no file");
check(streams.ReadFileStreams("") === false, "nor does an empty name");

var caught = null;
try { streams.Item(0); } catch (e) { caught = e; }
check(caught != null && code(caught) == 9, "Item(0) of the empty list raises 9");

caught = null;
try { streams.ReadFileStreams(); } catch (e) { caught = e; }
check(caught != null, "FileName is required");

fso.DeleteFolder(folder, true);
check(!fso.FolderExists(folder), "the file was closed: its folder could be deleted");
finish();
