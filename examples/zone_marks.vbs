' Marks the files a list names as downloaded from the Internet, then reads the marks of the
' folder's files back.
'
'   cscript //nologo zone_marks.vbs C:\Downloads
'
' The folder's downloads.lst names the downloaded files, one a line (";" starts a comment).
' Windows keeps the mark in the file's stream "Zone.Identifier" (NTFS only) and warns before it
' runs a marked program. SetFileZone returns False, and never raises, for a missing file.
Option Explicit

' The zones. Scripts do not see the type library's constants: without these lines fzInternet
' would be Empty, which is 0, and SetFileZone would mark every file as local.
Const fzLocalMachine = 0
Const fzLocalIntranet = 1
Const fzSafeSites = 2
Const fzInternet = 3
Const fzRestrictedSites = 4

Dim tav, folder, before, names, name, entry
Set tav = CreateObject("Brindle.tavFSO")
folder = WScript.Arguments(0)

' The folder's files as they are now: a tavFoundedFiles list is a snapshot of the listing.
Set before = CreateObject("Brindle.tavFoundedFiles")
before.Refresh folder, "*"

' The list file as a Collection of its lines; RaiseErrors True: a missing list stops the script.
Set names = tav.ReadStandardListFile(folder & "\downloads.lst", ";", True, True, False, True)
For Each name In names
    If tav.SetFileZone(folder & "\" & name, fzInternet) Then
        WScript.Echo "marked " & name
    Else
        WScript.Echo "not marked " & name & " (no such file, or no streams on this volume)"
    End If
Next

For Each entry In before
    If Not entry.AttributeDirectory Then
        WScript.Echo entry.FileName & ": " & ZoneName(tav.GetFileZone(entry.Path & "\" & entry.FileName))
    End If
Next

Function ZoneName(zone)
    Select Case zone
        Case fzLocalMachine: ZoneName = "this computer"
        Case fzLocalIntranet: ZoneName = "local intranet"
        Case fzSafeSites: ZoneName = "trusted sites"
        Case fzInternet: ZoneName = "Internet"
        Case fzRestrictedSites: ZoneName = "restricted sites"
        Case Else: ZoneName = "zone " & zone
    End Select
End Function
