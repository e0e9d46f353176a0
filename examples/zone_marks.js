// Marks the files a list names as downloaded from the Internet, then reads the marks of the
// folder's files back.
//
//   cscript //nologo zone_marks.js C:\Downloads
//
// The folder's downloads.lst names the downloaded files, one a line (";" starts a comment).
// Windows keeps the mark in the file's stream "Zone.Identifier" (NTFS only) and warns before it
// runs a marked program. SetFileZone returns false, and never throws, for a missing file.

// The zones. Scripts do not see the type library's constants; an undefined name is an error.
var fzLocalMachine = 0;
var fzLocalIntranet = 1;
var fzSafeSites = 2;
var fzInternet = 3;
var fzRestrictedSites = 4;
var zoneNames = ["this computer", "local intranet", "trusted sites", "Internet", "restricted sites"];

var tav = new ActiveXObject("Brindle.tavFSO");
var folder = WScript.Arguments(0);

// The folder's files as they are now: a tavFoundedFiles list is a snapshot of the listing.
var before = new ActiveXObject("Brindle.tavFoundedFiles");
before.Refresh(folder, "*");

// The list file as a Collection of its lines, positions from 1; RaiseErrors true: a missing list
// stops the script.
var names = tav.ReadStandardListFile(folder + "\\downloads.lst", ";", true, true, false, true);
for (var i = 1; i <= names.Count(); i++) {
    var name = names.Item(i);
    if (tav.SetFileZone(folder + "\\" + name, fzInternet))
        WScript.Echo("marked " + name);
    else
        WScript.Echo("not marked " + name + " (no such file, or no streams on this volume)");
}

for (var j = 0; j < before.Count; j++) {
    var entry = before.Item(j);
    if (entry.AttributeDirectory) continue;
    var zone = tav.GetFileZone(entry.Path + "\\" + entry.FileName);
    WScript.Echo(entry.FileName + ": " + (zone in zoneNames ? zoneNames[zone] : "zone " + zone));
}
