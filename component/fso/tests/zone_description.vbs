' tavFSO zone mark and one file's description, late bound from VBScript in the order a script
' uses them. (The test platform keeps the stream F:Zone.Identifier as a sibling file.)
Option Explicit
Dim fso, tav, folder, failures, file, f
Set fso = CreateObject("Scripting.FileSystemObject")
Set tav = CreateObject("Brindle.tavFSO")
folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavmarkvbs" & CStr(Int(Timer * 100)))
fso.CreateFolder folder
failures = 0

Sub Check(ok, what)
    If ok Then WScript.Echo "ok   " & what Else WScript.Echo "FAIL " & what : failures = failures + 1
End Sub

file = fso.BuildPath(folder, "report.txt")
Set f = fso.CreateTextFile(file, True)
f.Write "text"
f.Close
Check tav.GetFileZone(file) = 0, "a fresh local file is in zone 0"
Check tav.SetFileZone(file, 3) And tav.GetFileZone(file) = 3, "SetFileZone 3 and read back"
Check Not tav.SetFileZone(fso.BuildPath(folder, "missing.txt"), 4), "a missing file cannot be marked"
Check tav.GetFileDescription(file) = "", "no description yet"
Check tav.SetFileDescription(file, "Monthly report"), "SetFileDescription creates Descript.ion"
Check tav.GetFileDescription(fso.BuildPath(folder, "REPORT.TXT")) = "Monthly report", "read back by any case of the name"
Check 2 = (fso.GetFile(fso.BuildPath(folder, "Descript.ion")).Attributes And 2), "the description file is hidden"

fso.GetFile(fso.BuildPath(folder, "Descript.ion")).Attributes = 0
fso.DeleteFolder folder, True
If failures > 0 Then WScript.Echo failures & " check(s) failed" : WScript.Quit 1
WScript.Echo "ALL OK"
