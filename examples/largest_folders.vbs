' Prints the ten largest folders of a tree, with a progress line while the tree is listed, and
' stops when the listing takes longer than a time limit.
'
'   cscript //nologo largest_folders.vbs C:\Projects [time limit in seconds, default 60]
'
' One RefreshEx call lists the whole tree. Each time a folder is complete (the deepest first, the
' top folder last) it calls DirectoryCompleted of the object given as CallBackObject; setting
' Cancel to True there stops the listing, and RefreshEx then returns False with an empty list.
' A folder's FileSize is the total of every file below it.
Option Explicit

Const ProgressEvery = 5     ' a progress line after every 5 folders

Dim root, limit, list, progress, i
Dim topSize(9), topPath(9)  ' the ten largest so far, largest first (a fixed array: no ReDim)

' The callback object: any object with a member DirectoryCompleted(Path, Cancel) will do.
Class ListingProgress
    Public Done
    Public Started
    Public Sub DirectoryCompleted(Path, Cancel)
        Done = Done + 1
        If Done Mod ProgressEvery = 0 Then WScript.Echo "  " & Done & " folders listed, the last " & Relative(Path)
        If Seconds(Started) >= limit Then Cancel = True
    End Sub
End Class

'' The seconds since a reading of Timer (which starts again at midnight).
Function Seconds(since)
    Dim passed
    passed = Timer - since
    If passed < 0 Then passed = passed + 86400
    Seconds = passed
End Function

' A path below the root, as the report shows it.
Function Relative(path)
    Dim below
    below = Mid(path, Len(root) + 2)
    If below = "" Then below = "."
    Relative = below
End Function

' Keeps a folder when it is one of the ten largest so far.
Sub Consider(size, path)
    Dim i, j
    For i = 0 To 9
        If size > topSize(i) Then
            For j = 9 To i + 1 Step -1
                topSize(j) = topSize(j - 1)
                topPath(j) = topPath(j - 1)
            Next
            topSize(i) = size
            topPath(i) = path
            Exit Sub
        End If
    Next
End Sub

' Every folder of a listing and of its Childs. An entry's Path is the folder that was listed
' (its parent), so its own full path is Path & "\" & FileName.
Sub Walk(folders)
    Dim entry
    For Each entry In folders
        If entry.AttributeDirectory Then
            Consider entry.FileSize, Relative(entry.Path & "\" & entry.FileName)
            Walk entry.Childs
        End If
    Next
End Sub

root = WScript.Arguments(0)
limit = 60
If WScript.Arguments.Count > 1 Then limit = CLng(WScript.Arguments(1))
For i = 0 To 9
    topSize(i) = -1
Next

Set progress = New ListingProgress
progress.Done = 0
progress.Started = Timer
Set list = CreateObject("Brindle.tavFoundedFiles")
' "*" lists everything; False: links and junctions are listed but not entered.
If list.RefreshEx(root, "*", False, progress) Then
    WScript.Echo progress.Done & " folders, " & list.Size & " bytes. The largest folders:"
    Walk list
    For i = 0 To 9
        If topSize(i) >= 0 Then WScript.Echo Right(Space(12) & topSize(i), 12) & "  " & topPath(i)
    Next
ElseIf progress.Done > 0 Then
    WScript.Echo "Stopped after " & progress.Done & " folders: the time limit of " & limit & " seconds ran out."
Else
    WScript.Echo "Cannot list " & root
End If
