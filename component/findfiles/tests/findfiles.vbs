' tavFoundedFiles late bound from VBScript, with a VBScript class as CallBackObject: the order
' of the callbacks, Cancel, an error raised inside the callback, For Each over the tree.
Option Explicit
Begin
MakeTestFolder "ffvbs"

Sub MakeFile(name, size)
    WriteTextFile P(name), String(size, "x")
End Sub

' The caller's progress object: records the paths, cancels or raises at a chosen one.
Class Progress
    Public Seen
    Public CancelAt
    Public FailAt
    Private Sub Class_Initialize()
        Seen = ""
    End Sub
    Public Sub DirectoryCompleted(Path, Cancel)
        Seen = Seen & Mid(Path, Len(folder) + 1) & "|"
        If Path = FailAt Then Err.Raise 1001, "Progress", "stopped by the script"
        If Path = CancelAt Then Cancel = True
    End Sub
End Class

' A Function whose result is True cancels as well.
Class Answering
    Public Function DirectoryCompleted(Path, Cancel)
        DirectoryCompleted = (Path = P("one\two"))
    End Function
End Class

' Any other result is no answer: the listing goes on.
Class Counting
    Public Calls
    Public Function DirectoryCompleted(Path, Cancel)
        Calls = Calls + 1
        DirectoryCompleted = Calls
    End Function
End Class

fso.CreateFolder P("one")
fso.CreateFolder P("one\two")
fso.CreateFolder P("one\two\three")
MakeFile "top.txt", 3
MakeFile "one\a.txt", 10
MakeFile "one\two\b.txt", 20

Dim list, cb, r, total, n
Set list = CreateObject("Brindle.tavFoundedFiles")
Set cb = New Progress
r = list.RefreshEx(folder, "*", False, cb)
Check r = True, "RefreshEx with a script object as callback returns True"
Check cb.Seen = "\one\two\three|\one\two|\one||", "callbacks in post-order with the exact paths: " & cb.Seen
Check list.Count = 2 And list.HasSubItems, "two entries at the top"
Check list.Size = 33, "Size is the total of the tree: " & list.Size

' For Each over the whole tree through Childs.
Function SumTree(l)
    Dim x, t
    t = 0
    For Each x In l
        If x.AttributeDirectory Then t = t + SumTree(x.Childs) Else t = t + x.FileSize
        n = n + 1
    Next
    SumTree = t
End Function
n = 0
total = SumTree(list)
Check total = 33 And n = 6, "For Each visits every entry (" & n & ") and the sizes add up (" & total & ")"

Set cb = New Progress
cb.CancelAt = P("one\two")
r = list.RefreshEx(folder, "*", False, cb)
Check r = False And list.Count = 0 And Not list.HasSubItems, "Cancel at a subdirectory empties the result"
Check cb.Seen = "\one\two\three|\one\two|", "no callback after the cancel: " & cb.Seen
Set cb = New Progress
cb.CancelAt = folder
Check list.RefreshEx(folder, "*", False, cb) = True And list.Count = 2, "Cancel at the last callback keeps the full result"
Check list.RefreshEx(folder, "*", False, New Answering) = False And list.Count = 0, "a Function returning True cancels"
Check list.RefreshEx(folder, "*", False, CreateObject("Brindle.IFindFilesCallback")) = True, "the do-nothing callback class"
Check list.RefreshEx(folder, "*", False, Nothing) = True And list.Count = 2, "Nothing: no callback"
Check list.RefreshEx(folder, "*", False, New Counting) = True And list.Count = 2, "a Function returning a number does not cancel"
' The callback and the flags may be left out.
Check list.RefreshEx(folder, "*") = True And list.Count = 2, "RefreshEx(Path, Mask)"
Check list.RefreshEx2(folder, "*", False) = True And list.Count = 2, "RefreshEx2(Path, Mask, False)"
Check list.RefreshEx2(folder, "*", , , True) = True And list.Count = 1, "RefreshEx2(Path, Mask, , , True) lists the folder itself"
Check list.Refresh(folder & Chr(0) & "one", "*") = False And list.Count = 0, "a path with a NUL lists nothing"
Check list.Refresh(Left(folder, 3) & Chr(0) & "one", "*") = False And list.Count = 0, "nor does a drive root with a NUL behind it"
Check list.Refresh(folder, "*" & Chr(0) & "x") = False And list.Count = 0, "a mask with a NUL lists nothing"

On Error Resume Next
Set cb = New Progress
cb.FailAt = P("one")
r = list.RefreshEx(folder, "*", False, cb)
Check Err.Number = 1001, "an error raised in the callback reaches the caller: " & Err.Number & " " & Err.Description
Err.Clear
r = list.RefreshEx(folder, "*", False, CreateObject("Scripting.Dictionary"))
Check Err.Number = 13, "an object without DirectoryCompleted is a type mismatch: " & Err.Number
Err.Clear
On Error GoTo 0

Finish
