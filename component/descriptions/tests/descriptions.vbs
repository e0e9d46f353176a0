' tavDescriptIon late bound from VBScript, in the order a script uses it: read a folder's
' description file, query and change entries, write back with no argument, read again.
Option Explicit
Dim fso, d, folder, failures, file, f
Set fso = CreateObject("Scripting.FileSystemObject")
Set d = CreateObject("Brindle.tavDescriptIon")
folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavdescvbs" & CStr(Int(Timer * 100)))
fso.CreateFolder folder
file = fso.BuildPath(folder, "Descript.ion")
failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Set f = fso.CreateTextFile(file, True)
f.Write "readme.txt Read this first" & vbCrLf & """my file.doc""   Version 2" & vbCrLf & "README.TXT loses" & vbLf & "lf.txt after LF" & vbLf
f.Close

Check d.ReadDirectoryFile(folder) = True, "ReadDirectoryFile returns True"
Check d.FileName = file, "FileName is the joined name: " & d.FileName
Check d.ItemCount = 3, "three entries (" & d.ItemCount & ")"
Check d.ItemFileName(1) = "my file.doc" And d.ItemDescription(1) = "Version 2", "a quoted name"
Check d.ItemDescriptionByFileName("ReadMe.Txt") = "Read this first", "by name without regard to case; the first line wins"
Check d.ItemDescriptionByFileName("lf.txt") = "after LF", "a line ended by LF alone is a line"
Check d.ItemFileName(3) = "" And d.ItemDescription(-1) = "", "positions outside give empty strings"

d.AddItem "new file.txt", "added" & vbCrLf & "on two lines"
d.AddItem "readme.txt", "changed"
Check d.ItemFileName(d.ItemCount - 1) = "readme.txt", "a changed entry moves to the end"
Check d.RemoveItem(0) = True And d.RemoveItem(d.ItemCount) = False, "RemoveItem by position"
Check d.RemoveItemByFileName("LF.TXT") = True And d.RemoveItemByFileName("lf.txt") = False, "RemoveItemByFileName"
Check d.WriteDirectoryFile() = True, "WriteDirectoryFile with no argument writes back"
Check 2 = (fso.GetFile(file).Attributes And 2), "the file is hidden"

Check d.ReadFile(file) = True And d.ItemCount = 2, "read again: two entries, no bogus one from the line break"
Check d.ItemDescriptionByFileName("new file.txt") = "added  on two lines", "the line break became spaces"
d.Clear
Check d.ItemCount = 0 And d.FileName = "", "Clear empties the model and the name"
Check d.WriteFile() = False, "WriteFile with no name after Clear gives False"
Check d.ReadFile(fso.BuildPath(folder, "none\Descript.ion")) = False, "a missing folder gives False"
Check d.ReadFile(fso.BuildPath(folder, "none.ion")) = True And d.ItemCount = 0, "a missing file is an empty model"

On Error Resume Next
d.AddItem Array(1), "x"
Check Err.Number = 13, "an array as name is a type mismatch (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

fso.GetFile(file).Attributes = 0
fso.DeleteFolder folder, True
If failures > 0 Then
    WScript.Echo failures & " check(s) failed"
    WScript.Quit 1
End If
WScript.Echo "ALL OK"
