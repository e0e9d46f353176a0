// GetFile of a large ANSI text, late bound from JScript, next to the script host's own
// Scripting.FileSystemObject OpenTextFile(...).ReadAll() of the same file:
//   cscript //nologo getfile_vs_fso.js <file>
var name = WScript.Arguments(0);

var tav = new ActiveXObject("Brindle.tavFSO");
var t0 = new Date().getTime();
var a = tav.GetFile(name, true);
var tavSeconds = (new Date().getTime() - t0) / 1000;

var fso = new ActiveXObject("Scripting.FileSystemObject");
t0 = new Date().getTime();
var stream = fso.OpenTextFile(name, 1);
var b = stream.ReadAll();
stream.Close();
var fsoSeconds = (new Date().getTime() - t0) / 1000;

WScript.Echo("text length " + a.length + " characters (ReadAll: " + b.length + ")");
WScript.Echo("tavFSO.GetFile                 " + tavSeconds.toFixed(3) + " s");
WScript.Echo("FileSystemObject ReadAll       " + fsoSeconds.toFixed(3) + " s");
WScript.Echo("GetFile is " + (fsoSeconds / Math.max(tavSeconds, 0.001)).toFixed(0) + " x faster");
if (a.length !== b.length) WScript.Echo("WARNING: the two readings differ in length");
// The row of bench/run's table (see bench_support.h): no target, the speed shown.
WScript.Echo("ROW\tGetFile from JScript, " + Math.round(a.length / 1048576) + " MiB of text\t" + tavSeconds +
             "\tFileSystemObject ReadAll\t" + fsoSeconds + "\ts\tspeed");
