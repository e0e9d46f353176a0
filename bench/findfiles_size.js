// (c) of findfiles_bench: the total size of a tree, late bound from JScript, reading only the
// top list's Size. Prints "<seconds> <total bytes>".
//   cscript //nologo findfiles_size.js <folder>
var folder = WScript.Arguments(0);
var t0 = new Date().getTime();
var list = new ActiveXObject("Brindle.tavFoundedFiles");
if (!list.Refresh(folder, "*")) WScript.Echo("Refresh found nothing");
var total = list.Size;
WScript.Echo(((new Date().getTime() - t0) / 1000) + " " + total);
