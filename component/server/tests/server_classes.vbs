' The library's classes as a VBScript client sees them through the script host: creation by
' ProgID, refused ProgIDs, errors with number, text and source, type mismatches.
Option Explicit
Begin

Dim names, name, o
names = Array("tavFSO", "tavDescriptIon", "tavFileStreams", "tavFoundedFiles", "IFindFilesCallback", _
              "tavFileVersion", "tavShellFileInfo")
For Each name In names
    Set o = CreateObject("Brindle." & name)
    Check IsObject(o), "CreateObject(""Brindle." & name & """)"
    Set o = Nothing
Next

Set o = CreateObject("Brindle.tavFSO.1")
Check IsObject(o), "the current version's ProgID Brindle.tavFSO.1"

On Error Resume Next
For Each name In Array("FoundedFile", "FileStream", "ShellFileIcon", "ShellFileEXE", "Collection")
    Err.Clear
    Set o = CreateObject("Brindle." & name)
    Check Err.Number = 429, "Brindle." & name & " cannot be created (error " & Err.Number & ")"
Next
On Error GoTo 0

' An error raised by a member: the list classes' Item beyond the end.
Dim list, x
Set list = CreateObject("Brindle.tavFoundedFiles")
Check list.Count = 0, "a new list is empty"
On Error Resume Next
Set x = list.Item(0)
Check Err.Number = 9, "Item(0) of an empty list raises 9 (got " & Err.Number & ")"
Check Err.Description = "Subscript out of range", "with its description: " & Err.Description
Check Err.Source = "Brindle0100", "and its source: " & Err.Source
Err.Clear

' Arguments of the wrong type are refused with a type mismatch, never a crash.
Set x = list.Item("first")
Check Err.Number = 13, "Item(""first"") is a type mismatch (got " & Err.Number & ")"
Err.Clear
Set x = list.Item(Array(1, 2))
Check Err.Number = 13, "Item(array) is a type mismatch (got " & Err.Number & ")"
Err.Clear
Dim tav
Set tav = CreateObject("Brindle.tavFSO")
x = tav.SetFileZone("a.txt", "Internet")
Check Err.Number = 13, "SetFileZone with a text zone is a type mismatch (got " & Err.Number & ")"
Err.Clear
x = tav.GetFileZone(list)
Check Err.Number <> 0, "GetFileZone(object) fails (error " & Err.Number & ")"
Err.Clear
x = tav.NoSuchMember()
Check Err.Number = 438, "an unknown member gives 438 (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

' The callback class does nothing and returns. (A script variable cannot be passed to a ByRef
' Boolean: script hosts pass only Variants by reference, so the value goes in parentheses.)
Dim cb
Set cb = CreateObject("Brindle.IFindFilesCallback")
On Error Resume Next
cb.DirectoryCompleted "C:\", (True)
Check Err.Number = 0, "DirectoryCompleted does nothing (error " & Err.Number & ")"
On Error GoTo 0

'' A byte array held in a script variable goes to a by-reference byte-array parameter.
Dim temp, bytes, written
temp = fso.BuildPath(fso.GetSpecialFolder(2), "brindle_server_classes.bin")
bytes = tav.GetFileB(WScript.ScriptFullName, True)
written = tav.PutFileB(temp, bytes, True)
Check written = True, "PutFileB takes the array variable GetFileB filled"
Check fso.GetFile(temp).Size = fso.GetFile(WScript.ScriptFullName).Size, "and writes all its bytes"
fso.DeleteFile temp

' For Each over an empty list visits nothing.
Dim n : n = 0
For Each x In list
    n = n + 1
Next
Check n = 0, "For Each over an empty list"

Finish
