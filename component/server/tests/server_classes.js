// The library's classes from JScript: creation by ProgID, refused ProgIDs, errors with number,
// text and source.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());

var names = ["tavFSO", "tavDescriptIon", "tavFileStreams", "tavFoundedFiles", "IFindFilesCallback",
             "tavFileVersion", "tavShellFileInfo"];
for (var i = 0; i < names.length; i++) {
    var o = new ActiveXObject("Brindle." + names[i]);
    check(typeof o == "object", "new ActiveXObject(\"Brindle." + names[i] + "\")");
}

var refused = ["FoundedFile", "FileStream", "ShellFileIcon", "ShellFileEXE"];
for (var i = 0; i < refused.length; i++) {
    var failed = false;
    try { new ActiveXObject("Brindle." + refused[i]); } catch (e) { failed = code(e) == 429; }
    check(failed, "Brindle." + refused[i] + " cannot be created");
}

var streams = new ActiveXObject("Brindle.tavFileStreams");
check(streams.Count == 0, "a new stream list is empty");
var caught = null;
try { streams.Item(0); } catch (e) { caught = e; }
check(caught != null && code(caught) == 9, "Item(0) of an empty list raises 9");
check(caught != null && [caught.description].join("") == "Subscript out of range", "with its description");
check(caught != null && (caught.number >>> 0) == 0x800A0009, "as 0x800A0009");

caught = null;
try { streams.Item("x"); } catch (e) { caught = e; }
// JScript reports the dispatch failure itself (DISP_E_TYPEMISMATCH) rather than number 13.
check(caught != null && ((caught.number >>> 0) == 0x80020005 || code(caught) == 13), "Item(\"x\") is a type mismatch");

finish();
