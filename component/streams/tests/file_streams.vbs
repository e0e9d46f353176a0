' tavFileStreams late bound from VBScript, on real files: True for a file and a folder, False
' and an empty list for a missing file, For Each over whatever the platform lists, Item's error.
Option Explicit
Begin
Dim streams, file, r, s, n, x, shape, w
Set streams = CreateObject("Brindle.tavFileStreams")
MakeTestFolder "tavstreamsvbs"
file = P("data.txt")
WriteTextFile file, "content"

Check streams.Count = 0, "a new list is empty"
r = streams.ReadFileStreams(file)
Check r = True And VarType(r) = vbBoolean, "ReadFileStreams of a file is True, ProcessSecurity omitted"

' Every element the platform lists has a consistent shape; on NTFS the main data comes first.
n = 0
shape = True
For Each x In streams
    If x.StreamIDData And x.Name <> "::$DATA" Then shape = False
    If x.StreamIDAlternateData And x.ShortName = "" Then shape = False
    If x.Size < 0 Then shape = False
    n = n + 1
Next
Check n = streams.Count, "For Each visits Count elements (" & n & ")"
Check shape, "each element's tests agree with its name"
If n > 0 Then Check streams(0).StreamIDData And streams(0).Size = 7, "the main data stream comes first"

r = streams.ReadFileStreams(file, True)
Check r = True, "with ProcessSecurity True"
r = streams.ReadFileStreams(folder)
Check r = True, "a folder is opened too"
r = streams.ReadFileStreams(P("missing.txt"))
Check r = False And streams.Count = 0, "a missing file gives False and an empty list"

' Files others write or hold without read sharing are refused.
Set w = fso.OpenTextFile(file, 8)
r = streams.ReadFileStreams(file)
Check r = False And streams.Count = 0, "a file open for writing elsewhere gives False"
w.Close
r = streams.ReadFileStreams(file)
Check r = True, "and True once the writer is gone"

On Error Resume Next
Set x = streams(streams.Count)
Check Err.Number = 9, "Item(Count) raises 9 (got " & Err.Number & ")"
Err.Clear
r = streams.ReadFileStreams(Array(1))
Check Err.Number = 13, "an array as file name is a type mismatch (got " & Err.Number & ")"
Err.Clear
r = streams.ReadFileStreams(Null)
Check Err.Number <> 0 Or r = False, "Null as file name is refused"
Err.Clear
On Error GoTo 0

fso.DeleteFolder folder, True
Check Not fso.FolderExists(folder), "the file was closed: its folder could be deleted"
Finish
