' Must fail with exit code 1 and the count of failed checks: a failed Check fails the test even
' though the script reaches Finish.
Option Explicit
Begin
MakeTestFolder "harnessvbs"
Check fso.FolderExists(folder) And P("x") = folder & "\x", "the test folder and a path in it"
CheckEqual "a value", 2, 1 + 1
Check False, "the check that must fail"
Finish
