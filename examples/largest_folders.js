// Prints the ten largest folders of a tree, with a progress line while the tree is listed, and
// stops when the listing takes longer than a time limit.
//
//   cscript //nologo largest_folders.js C:\Projects [time limit in seconds, default 60]
//
// One RefreshEx call lists the whole tree. Each time a folder is complete (the deepest first, the
// top folder last) it calls DirectoryCompleted of the object given as CallBackObject. JScript
// cannot assign to the Cancel argument: returning true stops the listing instead, and RefreshEx
// then returns false with an empty list. A folder's FileSize is the total of every file below it.
var progressEvery = 5;   // a progress line after every 5 folders

var root = WScript.Arguments(0);
var limit = WScript.Arguments.length > 1 ? Number(WScript.Arguments(1)) : 60;
var started = new Date().getTime();
var done = 0;

// A path below the root, as the report shows it.
function relative(path) { return path.substr(root.length + 1) || "."; }

// The callback object: any object with a member DirectoryCompleted(path, cancel) will do.
var progress = {
    DirectoryCompleted: function (path, cancel) {
        done++;
        if (done % progressEvery == 0) WScript.Echo("  " + done + " folders listed, the last " + relative(path));
        return new Date().getTime() - started >= limit * 1000;   // true cancels
    }
};

// Every folder of a listing and of its Childs. An entry's Path is the folder that was listed
// (its parent), so its own full path is Path + "\" + FileName. (Collections are walked by
// position: Count and Item(0 ... Count - 1).)
function walk(folders, found) {
    for (var i = 0; i < folders.Count; i++) {
        var entry = folders.Item(i);
        if (!entry.AttributeDirectory) continue;
        found.push({ size: entry.FileSize, path: relative(entry.Path + "\\" + entry.FileName) });
        walk(entry.Childs, found);
    }
    return found;
}

function pad(text, width) { while (text.length < width) text = " " + text; return text; }

var list = new ActiveXObject("Brindle.tavFoundedFiles");
// "*" lists everything; false: links and junctions are listed but not entered.
if (list.RefreshEx(root, "*", false, progress)) {
    WScript.Echo(done + " folders, " + list.Size + " bytes. The largest folders:");
    var folders = walk(list, []);
    folders.sort(function (a, b) { return b.size - a.size; });
    for (var i = 0; i < folders.length && i < 10; i++)
        WScript.Echo(pad(String(folders[i].size), 12) + "  " + folders[i].path);
} else if (done > 0) {
    WScript.Echo("Stopped after " + done + " folders: the time limit of " + limit + " seconds ran out.");
} else {
    WScript.Echo("Cannot list " + root);
}
