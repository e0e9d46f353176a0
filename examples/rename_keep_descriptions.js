// Renames files by extension and keeps their descriptions in the folder's Descript.ion.
//
//   cscript //nologo rename_keep_descriptions.js C:\Photos .jpeg .jpg
//
// Descript.ion holds one line per file: the name (in quotes when it has a space), a space, the
// description. File managers keep it beside the files but a plain rename leaves the old name in
// it. tavDescriptIon reads the file, and the entries are written back under the new names, in
// their old order, hidden as before.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = WScript.Arguments(0), oldExt = WScript.Arguments(1), newExt = WScript.Arguments(2);

// Rename the files; remember old name -> new name, upper-cased, as Descript.ion compares names
// without regard to case.
var renamed = {};
var list = new ActiveXObject("Brindle.tavFoundedFiles");
list.Refresh(folder, "*" + oldExt);
for (var i = 0; i < list.Count; i++) {
    var entry = list.Item(i);
    if (entry.AttributeDirectory) continue;
    var oldName = entry.FileName;
    var newName = oldName.substr(0, oldName.length - oldExt.length) + newExt;
    fso.MoveFile(entry.Path + "\\" + oldName, entry.Path + "\\" + newName);
    renamed[oldName.toUpperCase()] = newName;
    WScript.Echo(oldName + " -> " + newName);
}

// The descriptions. ReadDirectoryFile is true also when the folder has no Descript.ion.
var d = new ActiveXObject("Brindle.tavDescriptIon");
if (!d.ReadDirectoryFile(folder)) {
    WScript.Echo("Descript.ion cannot be read; the descriptions stay under the old names.");
    WScript.Quit(1);
}
// AddItem puts a changed entry last, so the entries are taken out in order and added back.
var entries = [];
for (var i = 0; i < d.ItemCount; i++) entries.push([d.ItemFileName(i), d.ItemDescription(i)]);
d.Clear();
for (var i = 0; i < entries.length; i++) {
    var name = entries[i][0];
    var key = name.toUpperCase();
    d.AddItem(renamed.hasOwnProperty(key) ? renamed[key] : name, entries[i][1]);
}
// Clear also forgot the file's name, so it is given again.
if (!d.WriteDirectoryFile(folder)) WScript.Echo("Descript.ion cannot be written.");

WScript.Echo("Descript.ion now:");
for (var i = 0; i < d.ItemCount; i++) WScript.Echo("  " + d.ItemFileName(i) + ": " + d.ItemDescription(i));
