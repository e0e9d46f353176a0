// A large byte array through a script host: GetFileB of a file, PutFileB of the same array to
// another file, late bound from JScript (in a 32-bit host the two must fit one address space):
//   cscript //nologo bytes_round_trip.js <source> <target>
var tav = new ActiveXObject("Brindle.tavFSO");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var source = WScript.Arguments(0), target = WScript.Arguments(1);
var t0 = new Date().getTime();
var bytes = tav.GetFileB(source, true);
var t1 = new Date().getTime();
var ok = tav.PutFileB(target, bytes, true);
var t2 = new Date().getTime();
var size = fso.GetFile(source).Size, written = fso.GetFile(target).Size;
WScript.Echo("file " + Math.round(size / 1048576) + " MiB: GetFileB " + ((t1 - t0) / 1000).toFixed(2) + " s, PutFileB " +
             ((t2 - t1) / 1000).toFixed(2) + " s, written " + (ok && written === size ? "whole" : "NOT WHOLE (" + written + " bytes)"));
