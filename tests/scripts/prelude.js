// What every JScript test shares. scripts/run-script names this file in TAVRIN_SCRIPT_PRELUDE and
// a test evaluates it in global scope as its first statement, so that the test's own line numbers
// stay those of its file:
//   eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
// A test then reports each check with check and ends with finish(), which prints the marker line
// the runner waits for only when every check passed.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = "";
var failures = 0;

function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok) failures++;
}

// Texts are flattened before comparing: the engine compares some joined strings wrongly.
function same(a, b) { return [a].join("") === [b].join(""); }

// A check of one value against the one expected, both shown.
function checkEqual(what, got, expected) {
    if (same(got, expected)) {
        WScript.Echo("ok   " + what + " = " + got);
    } else {
        WScript.Echo("FAIL " + what + ": got [" + got + "], expected [" + expected + "]");
        failures++;
    }
}

// The error number of a caught automation error, without its facility.
function code(e) { return e.number & 0xFFFF; }

// A new empty folder of the test's own under the temporary folder; finish() removes it.
function makeTestFolder(prefix) {
    folder = fso.BuildPath(fso.GetSpecialFolder(2), prefix + new Date().getTime());
    fso.CreateFolder(folder);
}

// A path in the test's folder.
function p(name) { return fso.BuildPath(folder, name); }

// Writes the text as the whole file (ANSI), replacing any.
function writeTextFile(path, text) {
    var f = fso.CreateTextFile(path, true);
    f.Write(text);
    f.Close();
}

// The end of a test: the test's folder goes (if the test has not removed it itself), then a
// failed check ends the script with exit code 1, or the marker line is printed.
function finish() {
    if (folder.length > 0 && fso.FolderExists(folder)) fso.DeleteFolder(folder, true);
    if (failures > 0) {
        WScript.Echo(failures + " check(s) failed");
        WScript.Quit(1);
    }
    WScript.Echo("ALL OK");
}
