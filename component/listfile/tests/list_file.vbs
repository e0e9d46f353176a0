' tavFSO.ReadStandardListFile late bound from VBScript, in the order a script uses it: write a
' list with the script host's own file object, read it, walk the Collection by position, key and
' For Each; then the options, LF-only files and the RaiseErrors convention.
Option Explicit
Dim fso, tav, folder, failures
Set fso = CreateObject("Scripting.FileSystemObject")
Set tav = CreateObject("Brindle.tavFSO")
folder = fso.BuildPath(fso.GetSpecialFolder(2), "tavlistvbs" & CStr(Int(Timer * 100)))
fso.CreateFolder folder
failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Function WriteList(name, text)
    Dim f
    WriteList = fso.BuildPath(folder, name)
    Set f = fso.CreateTextFile(WriteList, True)
    f.Write text
    f.Close
End Function

Function Joined(list)
    Dim item, s
    s = ""
    For Each item In list
        s = s & "[" & item & "]"
    Next
    Joined = s
End Function

Dim name, list
name = WriteList("list.txt", "  ;comment" & vbCrLf & vbCrLf & "  alpha  " & vbCrLf & "beta" & vbCrLf)
Set list = tav.ReadStandardListFile(name)
Check list.Count = 2, "two items with the defaults (Count " & list.Count & ")"
Check list(1) = "alpha" And list.Item(2) = "beta", "by position"
Check list("1") = "alpha" And list.Item("2") = "beta", "by key"
Check Joined(list) = "[alpha][beta]", "For Each walks the items in file order: " & Joined(list)
Check Joined(tav.ReadStandardListFile(name, ";", False)) = "[][alpha][beta]", "IgnoreBlanks False keeps the blank line as an item"
Check Joined(tav.ReadStandardListFile(name, ";", True, False)) = "[  alpha  ][beta]", "TrimStrings False keeps the blanks"
Check Joined(tav.ReadStandardListFile(name, "")) = "[;comment][alpha][beta]", "no marker, no comments"

name = WriteList("lf.txt", "// one" & vbLf & ";two" & vbLf & "REM three" & vbLf & "rem four" & vbLf)
Check Joined(tav.ReadStandardListFile(name, "//")) = "[;two][REM three][rem four]", "LF-only lines and a marker of two characters"
Check Joined(tav.ReadStandardListFile(name, "REM")) = "[// one][;two][rem four]", "a marker of letters compares with case"

Set list = tav.ReadStandardListFile(WriteList("empty.txt", ""))
Check Not (list Is Nothing), "an empty file gives a list"
Check list.Count = 0, "with no items"

On Error Resume Next
Set list = tav.ReadStandardListFile(fso.BuildPath(folder, "missing.txt"))
Check Err.Number = 0, "a missing file raises nothing by default"
Check list Is Nothing, "and gives Nothing"
Err.Clear
Set list = tav.ReadStandardListFile(fso.BuildPath(folder, "missing.txt"), ";", True, True, False, True)
Check Err.Number = 53, "with RaiseErrors it raises 53 (got " & Err.Number & ")"
Check Len(Err.Description) > 0 And Len(Err.Source) > 0, "with a description and a source: " & Err.Description & " / " & Err.Source
Err.Clear
Set list = tav.ReadStandardListFile(folder, ";", True, True, False, True)
Check Err.Number = 75, "a folder raises 75 (got " & Err.Number & ")"
Err.Clear
Set list = tav.ReadStandardListFile(Array(1), ";")
Check Err.Number = 13, "an array as file name is a type mismatch (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

fso.DeleteFolder folder, True
If failures > 0 Then
    WScript.Echo failures & " check(s) failed"
    WScript.Quit 1
End If
WScript.Echo "ALL OK"
