// Converts the UTF-16 big-endian files of a folder to little-endian without losing a byte.
//
//   cscript //nologo utf16_to_le.js C:\Exports
//
// GetFileW recognises a big-endian file by its first two bytes, FE FF, and returns its text;
// PutFileW writes that text back little-endian after the mark FF FE. Every two bytes of the old
// file become two bytes of the new one, so the length stays the same; the script reads the new
// file back to show it. A file of odd length is not whole UTF-16 (GetFileW would drop its last
// byte), so it is left alone, and so is every file that does not start FE FF.
var tav = new ActiveXObject("Brindle.tavFSO");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var list = new ActiveXObject("Brindle.tavFoundedFiles");

// True when the file starts with the bytes FE FF: read as little-endian UTF-16 (the script
// host's Unicode mode), they are the character U+FFFE. (GetFileB gives the bytes themselves, as
// an array that new VBArray(bytes).toArray() turns into numbers.)
function startsBigEndian(path) {
    var stream = fso.OpenTextFile(path, 1, false, -1);   // for reading, Unicode
    var first = stream.AtEndOfStream ? "" : stream.Read(1);
    stream.Close();
    return first.length == 1 && first.charCodeAt(0) == 0xFFFE;
}

// The folder's files (and the files of its subfolders, through Childs, which this script skips).
list.Refresh(WScript.Arguments(0), "*");
for (var i = 0; i < list.Count; i++) {
    var entry = list.Item(i);
    if (entry.AttributeDirectory) continue;
    var path = entry.Path + "\\" + entry.FileName;   // Path is the folder that was listed
    var size = entry.FileSize;
    if (!startsBigEndian(path)) {
        WScript.Echo(entry.FileName + ": not big-endian UTF-16, left alone");
    } else if (size % 2 == 1) {
        WScript.Echo(entry.FileName + ": odd length, left alone");
    } else {
        // RaiseErrors true: a file that cannot be read or written stops the script with the
        // reason, instead of an empty text that would empty the file.
        var text = tav.GetFileW(path, true);
        tav.PutFileW(path, text, true);
        if (tav.GetFileW(path, true) == text && fso.GetFile(path).Size == size)
            WScript.Echo(entry.FileName + ": now little-endian, " + size + " bytes, " + text.length + " characters");
        else
            WScript.Echo(entry.FileName + ": changed in the conversion!");
    }
}
