' tavFSO whole-file members, late bound from VBScript: the RaiseErrors convention as a script
' author sees it (Err.Number, Err.Description, Err.Source), wrong argument types, text round trips.
Option Explicit
Begin
Dim tav
Set tav = CreateObject("Brindle.tavFSO")
MakeTestFolder "tavvbs"

Dim r, b, s

' Missing file: empty result and no error by default; error 53 with RaiseErrors.
On Error Resume Next
b = tav.GetFileB(P("missing.bin"))
Check Err.Number = 0, "GetFileB of a missing file raises nothing by default"
Check VarType(b) = (vbArray + vbByte), "GetFileB of a missing file still returns a byte array (" & VarType(b) & ")"
Err.Clear
b = tav.GetFileB(P("missing.bin"), True)
Check Err.Number = 53, "GetFileB with RaiseErrors raises 53 (got " & Err.Number & ")"
Check Len(Err.Description) > 0, "the error has a description: " & Err.Description
Check Len(Err.Source) > 0, "the error has a source: " & Err.Source
Err.Clear
s = tav.GetFile(P("missing.bin"), True)
Check Err.Number = 53, "GetFile passes 53 on (got " & Err.Number & ")"
Err.Clear
s = tav.GetFileW(P("missing.bin"))
Check Err.Number = 0 And s = "", "GetFileW of a missing file gives an empty string by default"
Err.Clear

' A missing folder and a folder given as file name.
r = tav.PutFile(P("nodir\x.txt"), "x", True)
Check Err.Number = 76, "PutFile into a missing folder raises 76 (got " & Err.Number & ")"
Err.Clear
r = tav.PutFile(P("nodir\x.txt"), "x")
Check Err.Number = 0 And r = False, "PutFile into a missing folder returns False by default"
Err.Clear
b = tav.GetFileB(folder, True)
Check Err.Number = 75, "GetFileB of a folder raises 75 (got " & Err.Number & ")"
Err.Clear
r = tav.AppendFile(folder, "x", True)
Check Err.Number = 75, "AppendFile onto a folder raises 75 (got " & Err.Number & ")"
Err.Clear

' A read-only target fails and keeps its content.
r = tav.PutFile(P("ro.txt"), "old", True)
fso.GetFile(P("ro.txt")).Attributes = 1
r = tav.PutFile(P("ro.txt"), "new", True)
Check Err.Number = 75, "PutFile over a read-only file raises 75 (got " & Err.Number & ")"
Err.Clear
r = tav.PutFile(P("ro.txt"), "new")
Check Err.Number = 0 And r = False, "PutFile over a read-only file returns False by default"
Check tav.GetFile(P("ro.txt")) = "old", "the read-only file keeps its content"
fso.GetFile(P("ro.txt")).Attributes = 0
Err.Clear

'' One name per call: what the members are given is what they read and write.
' A hidden file stays hidden when it is rewritten.
r = tav.PutFile(P("hidden.txt"), "old", True)
fso.GetFile(P("hidden.txt")).Attributes = 2
r = tav.PutFile(P("hidden.txt"), "new", True)
Check Err.Number = 0 And r = True, "PutFile over a hidden file (" & Err.Number & ")"
Check fso.GetFile(P("hidden.txt")).Attributes And 2, "the rewritten file is still hidden"
Err.Clear
' A name with a NUL in it is refused by every member and creates nothing.
Dim nul_name
nul_name = P("report.log") & Chr(0) & ".txt"
r = tav.PutFile(nul_name, "x", True)
Check Err.Number = 52, "PutFile of a name with a NUL raises 52 (got " & Err.Number & ")"
Err.Clear
r = tav.AppendFile(nul_name, "x", True)
Check Err.Number = 52, "AppendFile of a name with a NUL raises 52 (got " & Err.Number & ")"
Err.Clear
s = tav.GetFile(nul_name, True)
Check Err.Number = 52, "GetFile of a name with a NUL raises 52 (got " & Err.Number & ")"
Err.Clear
Check Not fso.FileExists(P("report.log")), "nothing was written under the name before the NUL"
' An empty name names no file that exists (53 on reading) and no name to write (52); a wildcard
' name gives 52 on reading and on writing alike.
b = tav.GetFileB("", True)
Check Err.Number = 53, "GetFileB of an empty name raises 53 (got " & Err.Number & ")"
Err.Clear
r = tav.PutFile("", "x", True)
Check Err.Number = 52, "PutFile of an empty name raises 52 (got " & Err.Number & ")"
Err.Clear
Dim bad_name
For Each bad_name In Array(P("*.txt"), P("a?.txt"))
    b = tav.GetFileB(bad_name, True)
    Check Err.Number = 52, "GetFileB of '" & bad_name & "' raises 52 (got " & Err.Number & ")"
    Err.Clear
    r = tav.PutFile(bad_name, "x", True)
    Check Err.Number = 52, "PutFile of '" & bad_name & "' raises 52 (got " & Err.Number & ")"
    Err.Clear
Next
' Devices and pipes are no disk files: a clear error at once, alike for all three members.
Dim device
For Each device In Array("NUL", "CON", "AUX", "COM1", P("con"), "\\.\pipe\tavrin-none")
    b = tav.GetFileB(device, True)
    Check Err.Number = 52, "GetFileB of " & device & " raises 52 (got " & Err.Number & ")"
    Err.Clear
    r = tav.PutFile(device, "x", True)
    Check Err.Number = 52, "PutFile to " & device & " raises 52 (got " & Err.Number & ")"
    Err.Clear
    r = tav.AppendFile(device, "x")
    Check Err.Number = 0 And r = False, "AppendFile to " & device & " returns False by default"
    Err.Clear
Next
' Wrong argument types are type mismatches, not crashes.
r = tav.PutFile(P("t.txt"), Array(1, 2))
Check Err.Number = 13, "an array as Data is a type mismatch (got " & Err.Number & ")"
Err.Clear
r = tav.PutFileB(P("t.bin"), "bytes", True)
Check Err.Number = 0 And fso.GetFile(P("t.bin")).Size = 10, "a string as byte Data gives its UTF-16 bytes, as automation converts it"
Err.Clear
r = tav.PutFileB(P("t.bin"), Array(1, 2), True)
Check Err.Number = 13, "an array of Variants as byte Data is a type mismatch (got " & Err.Number & ")"
Err.Clear
r = tav.GetFile(Nothing)
Check Err.Number <> 0, "Nothing as file name is refused (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

' Text round trips and appends.
Check tav.PutFile(P("a.txt"), "Hello, world" & vbCrLf) = True, "PutFile returns True"
Check tav.AppendFile(P("a.txt"), "second line") = True, "AppendFile returns True"
Check tav.GetFile(P("a.txt")) = "Hello, world" & vbCrLf & "second line", "GetFile reads back both parts"
Check tav.PutFileW(P("w.txt"), "wide") = True, "PutFileW returns True"
Check tav.AppendFileW(P("w.txt"), " text") = True, "AppendFileW returns True"
Check tav.GetFileW(P("w.txt")) = "wide text", "GetFileW reads the appended text without a second mark"
Check tav.PutFileW(P("be.txt"), "big", False, True, True) = True, "PutFileW big-endian with mark"
Check tav.GetFileW(P("be.txt")) = "big", "GetFileW reads big-endian text"
b = tav.GetFileB(P("a.txt"))
Check tav.PutFileB(P("copy.txt"), b) = True, "PutFileB takes the array GetFileB gave"
Check tav.GetFile(P("copy.txt")) = tav.GetFile(P("a.txt")), "the copy equals the original"
Check tav.AppendFileB(P("copy2.txt"), b) = True, "AppendFileB creates a missing file"
Check fso.GetFile(P("copy2.txt")).Size = fso.GetFile(P("a.txt")).Size, "with exactly the appended bytes"
Check tav.PutFile(P("empty.txt"), "") = True, "PutFile of an empty text"
Check fso.GetFile(P("empty.txt")).Size = 0, "leaves an empty file"
Check tav.GetFile(P("empty.txt"), True) = "", "GetFile of an empty file is an empty string, even with RaiseErrors"

Finish
