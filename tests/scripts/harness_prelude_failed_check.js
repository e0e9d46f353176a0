// Must fail with exit code 1 and the count of failed checks: a failed check fails the test even
// though the script reaches finish().
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
makeTestFolder("harnessjs");
check(fso.FolderExists(folder) && same(p("x"), folder + "\\x"), "the test folder and a path in it");
checkEqual("a value", 2, 1 + 1);
check(false, "the check that must fail");
finish();
